#pragma once

#include "platform/printer_list_source.h"

namespace tessaline {

// The "devices" section of the user's profile (win.ini mapping).
class Win32PrinterListSource final : public PrinterListSource {
  public:
    std::uint32_t ReadDevicesSection(char* buffer, std::uint32_t size) override;
};

}  // namespace tessaline
