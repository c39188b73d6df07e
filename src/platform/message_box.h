#pragma once

#include <cstdint>
#include <string>

namespace tessaline {

// Message box types and answers, with the values Windows gives them.
enum MessageBoxType : std::uint32_t {
    kMbOk = 0x0,
    kMbYesNo = 0x4,
    kMbIconStop = 0x10,
    kMbIconExclamation = 0x30,
    kMbIconInformation = 0x40,
    kMbDefButton1 = 0x0,
    kMbSystemModal = 0x1000,
};

enum MessageBoxAnswer : int {
    kIdOk = 1,
    kIdCancel = 2,
    kIdYes = 6,
    kIdNo = 7,
};

// A modal message box owned by the main window.
class MessageBoxes {
  public:
    virtual ~MessageBoxes() = default;
    // Returns the button the user chose.
    virtual int Show(const std::string& text, const std::string& caption, std::uint32_t type) = 0;
};

}  // namespace tessaline
