#pragma once

#include <cstdint>

namespace tessaline {

// The "devices" profile section, read with a null key: every key name of the section,
// each ended by a NUL, the list ended by one more NUL, cut to fit the buffer.
class PrinterListSource {
  public:
    virtual ~PrinterListSource() = default;

    // Fills buffer (size bytes, size >= 2) and returns the count of bytes copied, not counting
    // the final NUL. When the names do not fit, the list is cut and the call returns size - 2.
    virtual std::uint32_t ReadDevicesSection(char* buffer, std::uint32_t size) = 0;
};

}  // namespace tessaline
