#include "base/untrusted_text.h"

#include <cstdint>

namespace tessaline {
namespace {

// The length of the well-formed UTF-8 sequence at text[at], or 0 where there is none.
std::size_t Utf8SequenceAt(std::string_view text, std::size_t at) {
    const auto byte = [&](std::size_t i) { return static_cast<std::uint8_t>(text[i]); };
    const std::uint8_t lead = byte(at);
    std::size_t length = 0;
    std::uint32_t lowest = 0;
    if (lead < 0x80) {
        return 1;
    } else if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        lowest = 0x80;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        lowest = 0x800;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        lowest = 0x10000;
    } else {
        return 0;
    }
    if (at + length > text.size()) {
        return 0;
    }
    std::uint32_t point = lead & (0x7F >> length);
    for (std::size_t i = 1; i < length; ++i) {
        if ((byte(at + i) & 0xC0) != 0x80) {
            return 0;
        }
        point = (point << 6) | (byte(at + i) & 0x3F);
    }
    const bool surrogate = point >= 0xD800 && point <= 0xDFFF;
    return point < lowest || point > 0x10FFFF || surrogate ? 0 : length;
}

void AppendEscaped(std::string& out, std::uint8_t byte) {
    static const char kHex[] = "0123456789abcdef";
    out += "\\x";
    out += kHex[byte >> 4];
    out += kHex[byte & 0x0F];
}

}  // namespace

std::string CutToOctets(std::string_view text, std::size_t maxOctets) {
    if (text.size() <= maxOctets) {
        return std::string(text);
    }
    std::size_t end = 0;
    while (end < maxOctets) {
        const std::size_t step = Utf8SequenceAt(text, end);
        const std::size_t next = end + (step == 0 ? 1 : step);
        if (next > maxOctets) {
            break;
        }
        end = next;
    }
    std::string cut(text.substr(0, end));
    cut += kCutMark;
    return cut;
}

std::string TerminalSafe(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t at = 0; at < text.size();) {
        const auto lead = static_cast<std::uint8_t>(text[at]);
        const std::size_t step = Utf8SequenceAt(text, at);
        const bool c1 = step == 2 && lead == 0xC2 && static_cast<std::uint8_t>(text[at + 1]) < 0xA0;
        if (lead == '\\') {
            out += "\\\\";
        } else if (step == 0 || c1 || lead < 0x20 || lead == 0x7F) {
            for (std::size_t i = 0; i < (step == 0 ? 1 : step); ++i) {
                AppendEscaped(out, static_cast<std::uint8_t>(text[at + i]));
            }
        } else {
            out.append(text.substr(at, step));
        }
        at += step == 0 ? 1 : step;
    }
    return out;
}

}  // namespace tessaline
