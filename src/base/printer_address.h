#pragma once

#include <string>

namespace tessaline {

// A printer reached directly by its IPP address (ipp://HOST[:PORT]/PATH or ipps://...), not
// through a queue. Only the scheme decides: the rest is the printer's to judge.
inline bool IsPrinterAddress(const std::string& printer) {
    return printer.compare(0, 6, "ipp://") == 0 || printer.compare(0, 7, "ipps://") == 0;
}

}  // namespace tessaline
