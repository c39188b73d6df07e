// A print processor that copies a job's spool data to the printer's port byte for byte.
// Wine's own processor accepts only "RAW"; this one also accepts "XPS_PASS", which Wine's spooler
// checks only when the job is scheduled at EndDocPrinter.
#define UNICODE
#include <windows.h>
#include <winspool.h>
#include <winsplp.h>

#include <cwchar>
#include <new>
#include <string>

namespace {

const wchar_t* const kDatatypes[] = {L"RAW", L"XPS_PASS"};
constexpr DWORD kDatatypeCount = sizeof(kDatatypes) / sizeof(kDatatypes[0]);
constexpr DWORD kMagic = 0x50545354;  // tells our handles from stray ones
constexpr DWORD kBlock = 64 * 1024;

struct Processor {
    DWORD magic;
    std::wstring port;  // "<port>, Port", as the spooler named it to OpenPrintProcessor
    std::wstring document;
};

bool IsOurDatatype(const wchar_t* datatype) {
    if (!datatype) {
        return false;
    }
    for (const wchar_t* known : kDatatypes) {
        if (std::wcscmp(known, datatype) == 0) {
            return true;
        }
    }
    return false;
}

Processor* FromHandle(HANDLE handle) {
    auto* processor = static_cast<Processor*>(handle);
    if (!processor || processor->magic != kMagic) {
        SetLastError(ERROR_INVALID_HANDLE);
        return nullptr;
    }
    return processor;
}

bool WriteAll(HANDLE port, BYTE* data, DWORD size) {
    while (size > 0) {
        DWORD written = 0;
        if (!WritePrinter(port, data, size, &written) || written == 0) {
            return false;
        }
        data += written;
        size -= written;
    }
    return true;
}

// Copies the job to the port; the port's own document carries the bytes as "RAW".
bool CopyJob(HANDLE job, HANDLE port, const std::wstring& document) {
    DOC_INFO_1W doc = {};
    doc.pDocName = const_cast<wchar_t*>(document.c_str());
    doc.pDatatype = const_cast<wchar_t*>(L"RAW");
    if (!StartDocPrinterW(port, 1, reinterpret_cast<BYTE*>(&doc))) {
        return false;
    }
    static BYTE block[kBlock];
    bool ok = true;
    for (;;) {
        DWORD got = 0;
        if (!ReadPrinter(job, block, kBlock, &got)) {
            ok = false;
            break;
        }
        if (got == 0) {
            break;
        }
        if (!WriteAll(port, block, got)) {
            ok = false;
            break;
        }
    }
    DWORD error = GetLastError();
    if (!EndDocPrinter(port)) {
        return false;
    }
    SetLastError(error);
    return ok;
}

}  // namespace

extern "C" BOOL WINAPI EnumPrintProcessorDatatypesW(LPWSTR, LPWSTR, DWORD level, LPBYTE buffer,
                                                    DWORD size, LPDWORD needed, LPDWORD returned) {
    if (!needed || !returned) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    *returned = 0;
    if (level != 1) {
        SetLastError(ERROR_INVALID_LEVEL);
        return FALSE;
    }
    DWORD total = kDatatypeCount * sizeof(DATATYPES_INFO_1W);
    for (const wchar_t* name : kDatatypes) {
        total += static_cast<DWORD>((std::wcslen(name) + 1) * sizeof(wchar_t));
    }
    *needed = total;
    if (!buffer || size < total) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return FALSE;
    }
    // Records first, their strings packed after them, as the spooler lays out such lists.
    auto* records = reinterpret_cast<DATATYPES_INFO_1W*>(buffer);
    auto* text = reinterpret_cast<wchar_t*>(buffer + kDatatypeCount * sizeof(DATATYPES_INFO_1W));
    for (DWORD i = 0; i < kDatatypeCount; ++i) {
        size_t length = std::wcslen(kDatatypes[i]) + 1;
        std::wmemcpy(text, kDatatypes[i], length);
        records[i].pName = text;
        text += length;
    }
    *returned = kDatatypeCount;
    return TRUE;
}

extern "C" HANDLE WINAPI OpenPrintProcessor(LPWSTR port, PPRINTPROCESSOROPENDATA data) {
    if (!port || !data) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    if (!IsOurDatatype(data->pDatatype)) {
        SetLastError(ERROR_INVALID_DATATYPE);
        return nullptr;
    }
    auto* processor = new (std::nothrow) Processor{kMagic, port, L""};
    if (!processor) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    if (data->pDocumentName) {
        processor->document = data->pDocumentName;
    }
    return processor;
}

extern "C" BOOL WINAPI PrintDocumentOnPrintProcessor(HANDLE handle, LPWSTR job_name) {
    Processor* processor = FromHandle(handle);
    if (!processor) {
        return FALSE;
    }
    HANDLE job = nullptr;
    if (!OpenPrinterW(job_name, &job, nullptr)) {
        return FALSE;
    }
    HANDLE port = nullptr;
    if (!OpenPrinterW(const_cast<wchar_t*>(processor->port.c_str()), &port, nullptr)) {
        DWORD error = GetLastError();
        ClosePrinter(job);
        SetLastError(error);
        return FALSE;
    }
    bool ok = CopyJob(job, port, processor->document);
    DWORD error = GetLastError();
    ClosePrinter(port);
    ClosePrinter(job);
    SetLastError(error);
    return ok ? TRUE : FALSE;
}

extern "C" BOOL WINAPI ClosePrintProcessor(HANDLE handle) {
    Processor* processor = FromHandle(handle);
    if (!processor) {
        return FALSE;
    }
    processor->magic = 0;
    delete processor;
    return TRUE;
}
