#include "capture_mode.h"

#include <cctype>

namespace capture {

namespace {

std::string Trim(const std::string& text) {
    std::size_t begin = 0;
    std::size_t end = text.size();
    while (begin < end && std::isspace(static_cast<unsigned char>(text[begin]))) {
        ++begin;
    }
    while (end > begin && std::isspace(static_cast<unsigned char>(text[end - 1]))) {
        --end;
    }
    return text.substr(begin, end - begin);
}

constexpr char kCloseAfter[] = "close-after";

}  // namespace

std::optional<Mode> ParseMode(const std::string& text) {
    const std::string word = Trim(text);
    if (word == "accept") {
        return Mode{ModeKind::Accept, 0};
    }
    if (word == "refuse") {
        return Mode{ModeKind::Refuse, 0};
    }
    const std::string prefix = kCloseAfter;
    if (word.compare(0, prefix.size(), prefix) != 0 || word.size() == prefix.size() ||
        !std::isspace(static_cast<unsigned char>(word[prefix.size()]))) {
        return std::nullopt;
    }
    const std::string digits = Trim(word.substr(prefix.size()));
    if (digits.empty() || digits.size() > 18) {
        return std::nullopt;
    }
    std::uint64_t count = 0;
    for (char c : digits) {
        if (c < '0' || c > '9') {
            return std::nullopt;
        }
        count = count * 10 + static_cast<std::uint64_t>(c - '0');
    }
    return Mode{ModeKind::CloseAfter, count};
}

std::string FormatMode(const Mode& mode) {
    switch (mode.kind) {
        case ModeKind::Accept:
            return "accept";
        case ModeKind::Refuse:
            return "refuse";
        case ModeKind::CloseAfter:
            return std::string(kCloseAfter) + " " + std::to_string(mode.close_after);
    }
    return "accept";
}

}  // namespace capture
