#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace tessaline {

// The one strict rule for numbers given as text (arguments, settings files, ports): the whole
// text is decimal digits, after one "+" or "-" only where a sign is allowed, with no white space
// and nothing after them, and the value lies from low to high. Leading zeros are allowed. The
// forms field is not read with it: that takes the C library's forgiving atoi rule, which never
// rejects (jobs/form_test.h).
enum class Sign { NotAllowed, Allowed };

// Nonempty and only the digits 0 to 9.
inline bool AllDecimalDigits(std::string_view text) {
    if (text.empty()) {
        return false;
    }
    for (const char c : text) {
        if (c < '0' || c > '9') {
            return false;
        }
    }
    return true;
}

inline std::optional<std::int64_t> ParseDecimal(std::string_view text, std::int64_t low,
                                                std::int64_t high, Sign sign = Sign::NotAllowed) {
    bool negative = false;
    if (sign == Sign::Allowed && !text.empty() && (text[0] == '+' || text[0] == '-')) {
        negative = text[0] == '-';
        text.remove_prefix(1);
    }
    if (!AllDecimalDigits(text)) {
        return std::nullopt;
    }
    // Bounds stay far inside 64 bits: past about 2^62 a value is out of range whatever they are,
    // and stopping there keeps the sum from overflowing.
    constexpr std::int64_t kLargestBeforeATenfold = (std::int64_t{1} << 62) / 10;
    std::int64_t magnitude = 0;
    for (const char c : text) {
        if (magnitude > kLargestBeforeATenfold) {
            return std::nullopt;
        }
        magnitude = magnitude * 10 + (c - '0');
    }
    const std::int64_t value = negative ? -magnitude : magnitude;
    if (value < low || value > high) {
        return std::nullopt;
    }
    return value;
}

}  // namespace tessaline
