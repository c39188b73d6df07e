#include "framework/dialog_init_data.h"

namespace tessaline {
namespace {

bool ReadWord(const std::uint8_t* data, std::size_t size, std::size_t& at, std::uint16_t& value) {
    if (size - at < 2) {
        return false;
    }
    value = static_cast<std::uint16_t>(data[at] | (data[at + 1] << 8));
    at += 2;
    return true;
}

}  // namespace

std::optional<std::vector<InitDataEntry>> ParseDialogInitData(const std::uint8_t* data,
                                                              std::size_t size) {
    std::vector<InitDataEntry> entries;
    std::size_t at = 0;
    for (;;) {
        std::uint16_t id = 0;
        if (!ReadWord(data, size, at, id)) {
            return std::nullopt;
        }
        if (id == 0) {
            return entries;
        }
        std::uint16_t message = 0;
        if (!ReadWord(data, size, at, message) || message != kCbAddString) {
            return std::nullopt;
        }
        const std::size_t start = at;
        while (at < size && data[at] != 0) {
            ++at;
        }
        if (at == size) {
            return std::nullopt;
        }
        entries.push_back(
            {id, std::string(reinterpret_cast<const char*>(data + start), at - start)});
        ++at;
    }
}

}  // namespace tessaline
