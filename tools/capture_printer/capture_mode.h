#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace capture {

// What the listener does with the next connection. Read from a small text file that tests
// rewrite while the listener runs: "accept", "refuse" or "close-after N".
enum class ModeKind { Accept, Refuse, CloseAfter };

struct Mode {
    ModeKind kind = ModeKind::Accept;
    std::uint64_t close_after = 0;  // bytes kept before hanging up, only for CloseAfter

    bool operator==(const Mode& other) const {
        return kind == other.kind && close_after == other.close_after;
    }
    bool operator!=(const Mode& other) const { return !(*this == other); }
};

// Leading and trailing white space is ignored; anything else unexpected yields nullopt.
std::optional<Mode> ParseMode(const std::string& text);

// The canonical text of a mode, as ParseMode accepts it and as the log shows it.
std::string FormatMode(const Mode& mode);

}  // namespace capture
