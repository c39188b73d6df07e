#pragma once

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "platform/printer_list_source.h"

namespace tessaline {

// A "devices" section of any content. Reads behave like GetProfileStringA with a null key: the
// list is copied and ended with a NUL, and when it does not fit it is cut to size - 2 bytes,
// ended by two NULs, and size - 2 is returned.
class FakePrinterListSource : public PrinterListSource {
  public:
    FakePrinterListSource() = default;
    // Each name ended by a NUL; the list's final NUL is added by the read.
    explicit FakePrinterListSource(const std::vector<std::string>& names) {
        for (const std::string& name : names) {
            section.append(name);
            section.push_back('\0');
        }
    }

    // The section's bytes without the list's final NUL ("a\0b\0" for two names).
    std::string section;
    std::vector<std::uint32_t> sizesAsked;

    std::uint32_t ReadDevicesSection(char* buffer, std::uint32_t size) override {
        sizesAsked.push_back(size);
        std::size_t length = section.size();
        if (length + 1 > size) {
            length = size - 2;
            std::memcpy(buffer, section.data(), length);
            buffer[length] = '\0';
            buffer[length + 1] = '\0';
            return size - 2;
        }
        std::memcpy(buffer, section.data(), length);
        buffer[length] = '\0';
        return static_cast<std::uint32_t>(length);
    }
};

}  // namespace tessaline
