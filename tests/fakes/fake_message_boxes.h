#pragma once

#include <cstdint>
#include <deque>
#include <ostream>
#include <string>
#include <vector>

#include "platform/message_box.h"

namespace tessaline {

struct ShownBox {
    std::string text;
    std::string caption;
    std::uint32_t type = 0;

    bool operator==(const ShownBox& other) const {
        return text == other.text && caption == other.caption && type == other.type;
    }
    bool operator!=(const ShownBox& other) const { return !(*this == other); }
};

inline std::ostream& operator<<(std::ostream& out, const ShownBox& box) {
    return out << "{\"" << box.caption << "\", \"" << box.text << "\", 0x" << std::hex << box.type
               << std::dec << "}";
}

// Records every box in order and answers from a script; once the script runs out every box is
// answered with fallbackAnswer. With log set, each box also appends "Box(<caption>)" there, so
// one sequence can show boxes among other calls.
class FakeMessageBoxes : public MessageBoxes {
  public:
    std::deque<int> answers;
    int fallbackAnswer = kIdOk;
    std::vector<std::string>* log = nullptr;

    std::vector<ShownBox> shown;

    int Show(const std::string& text, const std::string& caption, std::uint32_t type) override {
        shown.push_back(ShownBox{text, caption, type});
        if (log != nullptr) {
            log->push_back("Box(" + caption + ")");
        }
        if (answers.empty()) {
            return fallbackAnswer;
        }
        const int answer = answers.front();
        answers.pop_front();
        return answer;
    }
};

}  // namespace tessaline
