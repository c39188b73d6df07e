#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace tessaline {

// What a printer says (names, versions, messages) comes from the network: it may hold bytes that
// drive a terminal, or be longer than its attribute may be.

// The mark put after a value cut to its attribute's length.
inline constexpr std::string_view kCutMark = "[cut]";

// text cut to at most maxOctets bytes, never inside a UTF-8 sequence, with kCutMark after it
// when anything was cut. Text that fits comes back as it is.
std::string CutToOctets(std::string_view text, std::size_t maxOctets);

// text for a terminal: control characters (C0, DEL, and C1 written in UTF-8), bytes that are not
// UTF-8, and the backslash itself are written as \xNN (\\ for the backslash), so the text cannot
// move the cursor, change colours or hide what follows. Printable UTF-8 stays as it is.
std::string TerminalSafe(std::string_view text);

}  // namespace tessaline
