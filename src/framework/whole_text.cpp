#include "framework/whole_text.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace tessaline {
namespace {

// Most fields are short: one copy, without growing from a few bytes.
constexpr std::size_t kFirstBufferBytes = 64;

}  // namespace

std::string FetchWholeText(const TextLengthQuery& length, const TextCopy& copy) {
    const long long reported = length();
    const std::size_t promised =
        reported > 0 ? std::min(static_cast<std::size_t>(reported), kMaxWholeTextBytes) : 0;
    // Enough for the promised count even if every character takes the widest encoding.
    const std::size_t enoughForPromised = promised * kWidestCharacterBytes + 1;
    std::size_t size = std::min(std::max(promised + kWidestCharacterBytes + 1, kFirstBufferBytes),
                                kMaxWholeTextBytes);
    for (;;) {
        std::vector<char> buffer(size, '\0');
        copy(buffer.data(), size);
        const std::size_t got = static_cast<std::size_t>(
            std::find(buffer.begin(), buffer.end(), '\0') - buffer.begin());
        // A cut copy stops less than one character and its NUL short of the end.
        const bool roomLeft = got + kWidestCharacterBytes < size;
        const bool refused = got == 0 && size < enoughForPromised;
        if ((roomLeft && !refused) || size >= kMaxWholeTextBytes) {
            return std::string(buffer.data(), got);
        }
        size = std::min(size * 2, kMaxWholeTextBytes);
    }
}

}  // namespace tessaline
