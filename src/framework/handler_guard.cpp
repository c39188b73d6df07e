#include "framework/handler_guard.h"

#include "platform/file_error_text.h"
#include "platform/message_box.h"

namespace tessaline {

GuardBox FileExceptionBox(const FileException& e) {
    return {FileErrorText(e.Cause()), kMbOk | kMbIconStop};
}

GuardBox OutOfMemoryBox() {
    return {kOutOfMemoryText, kMbOk | kMbIconExclamation | kMbSystemModal};
}

GuardBox UnexpectedErrorBox(const char* what) {
    std::string text = "An unexpected error stopped the operation.";
    std::string detail = what != nullptr ? what : "";
    // Trailing white space would end the box in a blank line.
    detail.erase(detail.find_last_not_of(" \t\r\n") + 1);
    if (!detail.empty()) {
        text += "\n";
        text += detail;
    }
    return {text, kMbOk | kMbIconStop};
}

}  // namespace tessaline
