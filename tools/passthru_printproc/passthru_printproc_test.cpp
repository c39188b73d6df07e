// Loads tess_passthru.dll from the test's own folder and checks its entry points as the spooler
// calls them. Prints one line per failed check and exits nonzero if any failed.
#define UNICODE
#include <windows.h>
#include <winspool.h>
#include <winsplp.h>

#include <cstdio>
#include <cwchar>
#include <vector>

namespace {

using EnumFn = BOOL(WINAPI*)(LPWSTR, LPWSTR, DWORD, LPBYTE, DWORD, LPDWORD, LPDWORD);
using OpenFn = HANDLE(WINAPI*)(LPWSTR, PPRINTPROCESSOROPENDATA);
using PrintFn = BOOL(WINAPI*)(HANDLE, LPWSTR);
using CloseFn = BOOL(WINAPI*)(HANDLE);

int g_failures;

void Check(bool ok, const char* test, const char* what) {
    if (!ok) {
        std::printf("FAIL %s: %s\n", test, what);
        ++g_failures;
    }
}

template <typename Fn>
Fn Export(HMODULE module, const char* name) {
    return reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

// Two records of 8 bytes, then L"RAW" and L"XPS_PASS" with their terminators.
constexpr DWORD kListSize = 2 * sizeof(DATATYPES_INFO_1W) + (4 + 9) * sizeof(wchar_t);

void EnumDatatypes(EnumFn enum_datatypes) {
    struct Case {
        const char* name;
        DWORD level;
        DWORD buffer_size;
        bool pass_buffer;
        BOOL result;
        DWORD error;
    } cases[] = {
        {"size query without buffer", 1, 0, false, FALSE, ERROR_INSUFFICIENT_BUFFER},
        {"buffer one byte short", 1, kListSize - 1, true, FALSE, ERROR_INSUFFICIENT_BUFFER},
        {"exact buffer", 1, kListSize, true, TRUE, 0},
        {"larger buffer", 1, kListSize + 64, true, TRUE, 0},
        {"level 2 unknown", 2, kListSize, true, FALSE, ERROR_INVALID_LEVEL},
    };
    for (const Case& c : cases) {
        std::vector<BYTE> buffer(c.buffer_size + 1, 0xCC);
        DWORD needed = 0xDEAD, count = 0xDEAD;
        SetLastError(0);
        BOOL result =
            enum_datatypes(nullptr, const_cast<wchar_t*>(L"TessPassThru"), c.level,
                           c.pass_buffer ? buffer.data() : nullptr, c.buffer_size, &needed, &count);
        Check(result == c.result, c.name, "result");
        if (!result) {
            Check(GetLastError() == c.error, c.name, "last error");
            Check(count == 0, c.name, "count on failure");
            if (c.level == 1) {
                Check(needed == kListSize, c.name, "size needed");
            }
            continue;
        }
        Check(needed == kListSize && count == 2, c.name, "size and count");
        const auto* records = reinterpret_cast<const DATATYPES_INFO_1W*>(buffer.data());
        Check(std::wcscmp(records[0].pName, L"RAW") == 0, c.name, "first datatype");
        Check(std::wcscmp(records[1].pName, L"XPS_PASS") == 0, c.name, "second datatype");
        const BYTE* end = buffer.data() + kListSize;
        for (int i = 0; i < 2; ++i) {
            const BYTE* p = reinterpret_cast<const BYTE*>(records[i].pName);
            Check(p >= buffer.data() && p < end, c.name, "string inside the caller's buffer");
        }
        Check(buffer[kListSize] == 0xCC, c.name, "nothing written past the list");
    }
}

void OpenAndClose(OpenFn open, CloseFn close, PrintFn print) {
    struct Case {
        const char* name;
        const wchar_t* datatype;
        bool opens;
    } cases[] = {
        {"RAW opens", L"RAW", true},
        {"XPS_PASS opens", L"XPS_PASS", true},
        {"EMF refused", L"NT EMF 1.008", false},
        {"lower-case raw refused", L"raw", false},
        {"no datatype refused", nullptr, false},
    };
    for (const Case& c : cases) {
        PRINTPROCESSOROPENDATA data = {};
        data.pDatatype = const_cast<wchar_t*>(c.datatype);
        data.pDocumentName = const_cast<wchar_t*>(L"My Document");
        SetLastError(0);
        HANDLE handle = open(const_cast<wchar_t*>(L"LPT1:, Port"), &data);
        Check((handle != nullptr) == c.opens, c.name, "open result");
        if (!handle) {
            Check(GetLastError() == ERROR_INVALID_DATATYPE, c.name, "error 1804");
            continue;
        }
        // A job that does not exist cannot be copied, and the handle stays usable for close.
        BOOL printed = print(handle, const_cast<wchar_t*>(L"No_Such_Printer, Job 1"));
        Check(!printed, c.name, "missing job not printed");
        Check(close(handle) == TRUE, c.name, "close");
    }
    SetLastError(0);
    Check(open(nullptr, nullptr) == nullptr && GetLastError() == ERROR_INVALID_PARAMETER,
          "open without data", "refused with 87");
    int not_ours = 0;
    SetLastError(0);
    Check(!close(&not_ours) && GetLastError() == ERROR_INVALID_HANDLE, "close foreign handle",
          "refused with 6");
    SetLastError(0);
    Check(!print(nullptr, const_cast<wchar_t*>(L"x, Job 1")) &&
              GetLastError() == ERROR_INVALID_HANDLE,
          "print on null handle", "refused with 6");
}

}  // namespace

int main() {
    HMODULE module = LoadLibraryW(L"tess_passthru.dll");
    if (!module) {
        std::printf("FAIL load: tess_passthru.dll not loadable (error %lu)\n", GetLastError());
        return 1;
    }
    auto enum_datatypes = Export<EnumFn>(module, "EnumPrintProcessorDatatypesW");
    auto open = Export<OpenFn>(module, "OpenPrintProcessor");
    auto print = Export<PrintFn>(module, "PrintDocumentOnPrintProcessor");
    auto close = Export<CloseFn>(module, "ClosePrintProcessor");
    if (!enum_datatypes || !open || !print || !close) {
        std::printf("FAIL exports: one of the four print processor entry points is missing\n");
        return 1;
    }
    EnumDatatypes(enum_datatypes);
    OpenAndClose(open, close, print);
    std::printf("%s: %d failed check(s)\n", g_failures ? "FAIL" : "PASS", g_failures);
    return g_failures ? 1 : 0;
}
