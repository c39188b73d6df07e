#pragma once

#include "platform/spooler.h"

namespace tessaline {

// The Windows spooler through winspool's single-byte calls.
class Win32Spooler final : public Spooler {
  public:
    bool OpenPrinter(const char* printerName, PrinterHandle* handle) override;
    std::uint32_t StartDocPrinter(PrinterHandle handle, const DocInfo1& doc) override;
    bool StartPagePrinter(PrinterHandle handle) override;
    bool WritePrinter(PrinterHandle handle, const void* bytes, std::uint32_t length,
                      std::uint32_t* written) override;
    bool EndPagePrinter(PrinterHandle handle) override;
    bool EndDocPrinter(PrinterHandle handle) override;
    void ClosePrinter(PrinterHandle handle) override;
};

}  // namespace tessaline
