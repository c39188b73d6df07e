#include "platform/win32/win32_spooler.h"

#include <windows.h>
#include <winspool.h>

// winspool maps these names to their A/W variants; here they name our own methods.
#undef OpenPrinter
#undef StartDocPrinter

namespace tessaline {
namespace {

HANDLE ToHandle(PrinterHandle handle) {
    return reinterpret_cast<HANDLE>(handle);
}

// winspool's A calls take non-const strings but do not write through them.
LPSTR Mutable(const char* text) {
    return const_cast<LPSTR>(text);
}

}  // namespace

bool Win32Spooler::OpenPrinter(const char* printerName, PrinterHandle* handle) {
    HANDLE opened = nullptr;
    if (!::OpenPrinterA(Mutable(printerName), &opened, nullptr)) {
        return false;
    }
    *handle = reinterpret_cast<PrinterHandle>(opened);
    return true;
}

std::uint32_t Win32Spooler::StartDocPrinter(PrinterHandle handle, const DocInfo1& doc) {
    DOC_INFO_1A info{};
    info.pDocName = Mutable(doc.docName);
    info.pOutputFile = Mutable(doc.outputFile);
    info.pDatatype = Mutable(doc.datatype);
    return ::StartDocPrinterA(ToHandle(handle), 1, reinterpret_cast<LPBYTE>(&info));
}

bool Win32Spooler::StartPagePrinter(PrinterHandle handle) {
    return ::StartPagePrinter(ToHandle(handle)) != FALSE;
}

bool Win32Spooler::WritePrinter(PrinterHandle handle, const void* bytes, std::uint32_t length,
                                std::uint32_t* written) {
    DWORD count = 0;
    const BOOL ok = ::WritePrinter(ToHandle(handle), const_cast<void*>(bytes), length, &count);
    *written = count;
    return ok != FALSE;
}

bool Win32Spooler::EndPagePrinter(PrinterHandle handle) {
    return ::EndPagePrinter(ToHandle(handle)) != FALSE;
}

bool Win32Spooler::EndDocPrinter(PrinterHandle handle) {
    return ::EndDocPrinter(ToHandle(handle)) != FALSE;
}

void Win32Spooler::ClosePrinter(PrinterHandle handle) {
    ::ClosePrinter(ToHandle(handle));
}

}  // namespace tessaline
