#include "platform/file_error_text.h"

namespace tessaline {
namespace {

constexpr char kUnnamedFile[] = "an unnamed file";

const char* CauseTemplate(FileErrorCause cause) {
    switch (cause) {
        case FileErrorCause::Generic:
            break;
        case FileErrorCause::FileNotFound:
            return "%1 could not be found.";
        case FileErrorCause::BadPath:
            return "The path to %1 is not valid.";
        case FileErrorCause::TooManyOpenFiles:
            return "%1 could not be opened because too many files are open.";
        case FileErrorCause::AccessDenied:
            return "Permission to use %1 was denied.";
        case FileErrorCause::InvalidFile:
            return "%1 was used through a handle that is not valid.";
        case FileErrorCause::DirectoryFull:
            return "%1 could not be created because its folder is full.";
        case FileErrorCause::BadSeek:
            return "The position in %1 could not be set.";
        case FileErrorCause::HardIO:
            return "A hardware I/O error was reported while accessing %1.";
        case FileErrorCause::SharingViolation:
            return "%1 is in use by another program.";
        case FileErrorCause::LockViolation:
            return "Part of %1 is locked by another program.";
        case FileErrorCause::DiskFull:
            return "The disk holding %1 is full.";
        case FileErrorCause::EndOfFile:
            return "The end of %1 was reached before the data expected.";
    }
    return "An error occurred while accessing %1.";
}

}  // namespace

std::string FileErrorText(FileErrorCause cause) {
    std::string text = CauseTemplate(cause);
    const std::size_t at = text.find("%1");
    if (at != std::string::npos) {
        text.replace(at, 2, kUnnamedFile);
    }
    // A sentence that starts with the file name still starts with a capital.
    if (!text.empty() && text[0] >= 'a' && text[0] <= 'z') {
        text[0] = static_cast<char>(text[0] - 'a' + 'A');
    }
    return text;
}

}  // namespace tessaline
