#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/printer_list_source.h"

namespace tessaline {

// The spooler's name of a printer, single-byte text, passed to the spooler exactly as given.
using PrinterName = std::string;
using PrinterList = std::vector<PrinterName>;

// The first buffer the "devices" section is read into.
inline constexpr std::uint32_t kDevicesBufferSize = 15000;

// The installed printers in the order the "devices" section holds them. A section larger than
// the buffer is read again into a bigger one, up to a limit; past it the list ends with the last
// name that came whole.
PrinterList ListPrinters(PrinterListSource& source);

}  // namespace tessaline
