#pragma once

#include <cstddef>
#include <functional>
#include <string>

namespace tessaline {

// The widest character of any ANSI code page, UTF-8 included, in bytes.
inline constexpr std::size_t kWidestCharacterBytes = 4;
// No text or path that a window or the shell hands over is longer; growth stops here.
inline constexpr std::size_t kMaxWholeTextBytes = std::size_t{1} << 24;

// The length a platform call reports for a text; it may count characters where the text needs
// bytes, or be 0 or negative when the query failed. Only a first guess at the buffer size.
using TextLengthQuery = std::function<long long()>;
// Copies the text into a zeroed buffer of `size` bytes. It may cut the text silently (with or
// without a terminating NUL, never splitting a character) or write nothing when it does not
// fit; what it returns is not trusted, so it returns nothing.
using TextCopy = std::function<void(char* buffer, std::size_t size)>;

// The whole text, up to its first NUL: the buffer grows until the copy leaves room for one more
// character and the NUL, so a cut copy is never taken for the whole. A copy that comes back
// empty though the query promised text is taken as refused for lack of room, until the buffer
// holds the promised count of the widest characters.
std::string FetchWholeText(const TextLengthQuery& length, const TextCopy& copy);

}  // namespace tessaline
