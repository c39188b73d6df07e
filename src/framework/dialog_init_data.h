#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace tessaline {

// A template's initial list data, carried as a resource of type 240 with the template's number.
// Layout, little-endian: per entry a 16-bit control id, a 16-bit message (CB_ADDSTRING) and the
// entry's text ended by a NUL; after the last entry a 16-bit 0.
inline constexpr std::uint16_t kInitDataResourceType = 240;
inline constexpr std::uint16_t kCbAddString = 0x0143;

struct InitDataEntry {
    int controlId;
    std::string text;
};

// The entries in the order stored, or nothing when the data is cut short or names a message
// other than CB_ADDSTRING.
std::optional<std::vector<InitDataEntry>> ParseDialogInitData(const std::uint8_t* data,
                                                              std::size_t size);

}  // namespace tessaline
