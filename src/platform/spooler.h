#pragma once

#include <cstdint>

namespace tessaline {

// Opaque printer handle; meaningful only between a successful OpenPrinter and its ClosePrinter.
using PrinterHandle = std::uintptr_t;

// The datatype a spooler takes as it is, with no print processor's conversion.
inline constexpr char kDatatypeRaw[] = "RAW";

// The spooler's level-1 document record, fields in the spooler's own order.
// A null outputFile sends the job to the printer, not to a file.
struct DocInfo1 {
    const char* docName;
    const char* outputFile;
    const char* datatype;
};

// The print spooler, single-byte variants. Every call reports failure by returning false; an
// implementation may still throw std::bad_alloc, like any code that allocates. The caller owns
// the handle from a successful OpenPrinter and must give it back with ClosePrinter exactly once.
class Spooler {
  public:
    virtual ~Spooler() = default;

    // printerName is passed whole, exactly as given (it may be empty).
    virtual bool OpenPrinter(const char* printerName, PrinterHandle* handle) = 0;
    // Returns the spooler's id of the job it started, or 0 when it refused the document.
    virtual std::uint32_t StartDocPrinter(PrinterHandle handle, const DocInfo1& doc) = 0;
    virtual bool StartPagePrinter(PrinterHandle handle) = 0;
    // On success *written holds how many bytes the spooler took (it may be fewer than length).
    virtual bool WritePrinter(PrinterHandle handle, const void* bytes, std::uint32_t length,
                              std::uint32_t* written) = 0;
    virtual bool EndPagePrinter(PrinterHandle handle) = 0;
    virtual bool EndDocPrinter(PrinterHandle handle) = 0;
    // Releases the handle; the outcome is not looked at.
    virtual void ClosePrinter(PrinterHandle handle) = 0;
};

}  // namespace tessaline
