#pragma once

#include <cstdint>

#include "platform/file.h"

namespace tessaline {

// Files opened with CreateFileA: read-only, no sharing, inheritable handle.
class Win32FileSystem final : public FileSystem {
  public:
    std::unique_ptr<ReadableFile> OpenForReading(const std::string& path) override;
};

// The user-facing cause of a Windows error code.
FileErrorCause FileErrorCauseFromWin32(std::uint32_t error);

}  // namespace tessaline
