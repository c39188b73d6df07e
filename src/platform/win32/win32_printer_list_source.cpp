#include "platform/win32/win32_printer_list_source.h"

#include <windows.h>

namespace tessaline {

std::uint32_t Win32PrinterListSource::ReadDevicesSection(char* buffer, std::uint32_t size) {
    return ::GetProfileStringA("devices", nullptr, "", buffer, size);
}

}  // namespace tessaline
