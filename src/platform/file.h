#pragma once

#include <cstdint>
#include <exception>
#include <memory>
#include <string>

namespace tessaline {

// Why a file operation failed, in the terms the user is shown.
enum class FileErrorCause {
    Generic,
    FileNotFound,
    BadPath,
    TooManyOpenFiles,
    AccessDenied,
    InvalidFile,
    DirectoryFull,
    BadSeek,
    HardIO,
    SharingViolation,
    LockViolation,
    DiskFull,
    EndOfFile,
};

// Raised by a failing length query or read. The window leaves it to the handler guard; the
// command line catches it where it reads a file (the upgrade file, a --printers-file) and says
// which file failed.
class FileException : public std::exception {
  public:
    explicit FileException(FileErrorCause cause) : m_cause(cause) {}

    const char* what() const noexcept override { return "file exception"; }
    FileErrorCause Cause() const { return m_cause; }

  private:
    FileErrorCause m_cause;
};

// An open file, read-only. Destroying it closes the file, also while an exception passes.
class ReadableFile {
  public:
    virtual ~ReadableFile() = default;

    // The whole length in bytes. Throws FileException on failure.
    virtual std::uint64_t Length() = 0;
    // One read of up to count bytes; returns the count read (0 at the end of the file).
    // Throws FileException on failure.
    virtual std::uint32_t Read(void* buffer, std::uint32_t count) = 0;
};

class FileSystem {
  public:
    virtual ~FileSystem() = default;

    // Opens the file exactly as named, for reading, with no sharing: while it is open no other
    // program may open it. Returns null (no exception) when it cannot be opened.
    virtual std::unique_ptr<ReadableFile> OpenForReading(const std::string& path) = 0;
};

}  // namespace tessaline
