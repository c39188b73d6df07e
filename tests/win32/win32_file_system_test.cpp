#include "platform/win32/win32_file_system.h"

#include <windows.h>

#include <cstdint>

#include <gtest/gtest.h>

namespace tessaline {
namespace {

struct ErrorCase {
    const char* name;
    std::uint32_t error;
    FileErrorCause cause;
};

const ErrorCase kErrorCases[] = {
    {"ERROR_FILE_NOT_FOUND", ERROR_FILE_NOT_FOUND, FileErrorCause::FileNotFound},
    {"ERROR_PATH_NOT_FOUND", ERROR_PATH_NOT_FOUND, FileErrorCause::BadPath},
    {"ERROR_INVALID_DRIVE", ERROR_INVALID_DRIVE, FileErrorCause::BadPath},
    {"ERROR_BAD_PATHNAME", ERROR_BAD_PATHNAME, FileErrorCause::BadPath},
    {"ERROR_FILENAME_EXCED_RANGE", ERROR_FILENAME_EXCED_RANGE, FileErrorCause::BadPath},
    {"ERROR_TOO_MANY_OPEN_FILES", ERROR_TOO_MANY_OPEN_FILES, FileErrorCause::TooManyOpenFiles},
    {"ERROR_ACCESS_DENIED", ERROR_ACCESS_DENIED, FileErrorCause::AccessDenied},
    {"ERROR_WRITE_PROTECT", ERROR_WRITE_PROTECT, FileErrorCause::AccessDenied},
    {"ERROR_INVALID_HANDLE", ERROR_INVALID_HANDLE, FileErrorCause::InvalidFile},
    {"ERROR_SEEK", ERROR_SEEK, FileErrorCause::BadSeek},
    {"ERROR_NEGATIVE_SEEK", ERROR_NEGATIVE_SEEK, FileErrorCause::BadSeek},
    {"ERROR_CRC", ERROR_CRC, FileErrorCause::HardIO},
    {"ERROR_READ_FAULT", ERROR_READ_FAULT, FileErrorCause::HardIO},
    {"ERROR_WRITE_FAULT", ERROR_WRITE_FAULT, FileErrorCause::HardIO},
    {"ERROR_GEN_FAILURE", ERROR_GEN_FAILURE, FileErrorCause::HardIO},
    {"ERROR_NOT_READY", ERROR_NOT_READY, FileErrorCause::HardIO},
    {"ERROR_SECTOR_NOT_FOUND", ERROR_SECTOR_NOT_FOUND, FileErrorCause::HardIO},
    {"ERROR_IO_DEVICE", ERROR_IO_DEVICE, FileErrorCause::HardIO},
    {"ERROR_SHARING_VIOLATION", ERROR_SHARING_VIOLATION, FileErrorCause::SharingViolation},
    {"ERROR_LOCK_VIOLATION", ERROR_LOCK_VIOLATION, FileErrorCause::LockViolation},
    {"ERROR_DISK_FULL", ERROR_DISK_FULL, FileErrorCause::DiskFull},
    {"ERROR_HANDLE_DISK_FULL", ERROR_HANDLE_DISK_FULL, FileErrorCause::DiskFull},
    {"ERROR_HANDLE_EOF", ERROR_HANDLE_EOF, FileErrorCause::EndOfFile},
    // ---- Anything else is the generic cause
    {"ERROR_SUCCESS", ERROR_SUCCESS, FileErrorCause::Generic},
    {"ERROR_INVALID_FUNCTION", ERROR_INVALID_FUNCTION, FileErrorCause::Generic},
    {"ERROR_NOT_ENOUGH_MEMORY", ERROR_NOT_ENOUGH_MEMORY, FileErrorCause::Generic},
    {"ERROR_INVALID_PARAMETER", ERROR_INVALID_PARAMETER, FileErrorCause::Generic},
    {"ERROR_CANNOT_MAKE", ERROR_CANNOT_MAKE, FileErrorCause::Generic},
    {"ERROR_INVALID_DATATYPE", ERROR_INVALID_DATATYPE, FileErrorCause::Generic},
    {"unknown 0xFFFFFFFF", 0xFFFFFFFFu, FileErrorCause::Generic},
};

TEST(Win32FileErrors, CauseFromErrorCode) {
    for (const ErrorCase& c : kErrorCases) {
        EXPECT_EQ(FileErrorCauseFromWin32(c.error), c.cause) << c.name;
    }
}

}  // namespace
}  // namespace tessaline
