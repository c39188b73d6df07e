#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace tessaline {

// The settings file's text, read and edited the way people write such files by hand:
//   - an optional UTF-8 byte order mark; LF or CRLF line ends; a last line without one;
//   - "[Section]" headers and "Name = Value" entries, spaces around names and values ignored;
//   - names of sections and entries compared without regard to ASCII case;
//   - lines starting with ';' or '#', blank lines and lines without '=' are ignored, and so
//     are entries before the first header;
//   - the first matching entry wins, also across repeated headers of the same section.

// The value of the first matching entry, trimmed; nullopt when there is none.
std::optional<std::string> FindIniValue(const std::string& text, const std::string& section,
                                        const std::string& entry);

// The text with that entry set to value. The first matching entry is replaced in place; a
// missing entry is added at the end of the section's first block, a missing section at the
// end of the file. Every other line, the byte order mark and the line ends are kept.
std::string SetIniValue(const std::string& text, const std::string& section,
                        const std::string& entry, const std::string& value);

// A signed 32-bit decimal number with an optional sign; anything else (hex, a fraction,
// trailing characters, a value out of range) is nullopt.
std::optional<std::int32_t> ParseInt32(const std::string& text);

}  // namespace tessaline
