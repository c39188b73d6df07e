#pragma once

#include "platform/file.h"

namespace tessaline {

// Files opened read-only and held with an exclusive flock lock, the nearest POSIX has to a
// no-sharing open: programs that take flock locks cannot take the file while it is open, and a
// file another program holds locked (flock or fcntl) is refused. Programs that lock with fcntl
// alone are not kept out (on Linux the two kinds of lock do not see each other), nor are those
// that do not lock; POSIX has no mandatory way to do that.
class PosixFileSystem final : public FileSystem {
  public:
    std::unique_ptr<ReadableFile> OpenForReading(const std::string& path) override;
};

// The user-facing cause of an errno value.
FileErrorCause FileErrorCauseFromErrno(int error);

}  // namespace tessaline
