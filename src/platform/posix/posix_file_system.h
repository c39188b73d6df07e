#pragma once

#include "platform/file.h"

namespace tessaline {

// Files opened read-only and held with an exclusive advisory lock, the nearest POSIX has to a
// no-sharing open: programs that lock (flock or fcntl) cannot take the file while it is open,
// and a file another program holds locked is refused. Programs that do not lock are not kept
// out; POSIX has no mandatory way to do that.
class PosixFileSystem final : public FileSystem {
  public:
    std::unique_ptr<ReadableFile> OpenForReading(const std::string& path) override;
};

// The user-facing cause of an errno value.
FileErrorCause FileErrorCauseFromErrno(int error);

}  // namespace tessaline
