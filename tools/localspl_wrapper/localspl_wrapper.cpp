// Stand-in for Wine's localspl.dll, for a test prefix only. Wine 8 accepts any datatype at
// StartDocPrinter and fails only at EndDocPrinter; a Windows spooler refuses a datatype that the
// queue's print processor does not list at StartDocPrinter with ERROR_INVALID_DATATYPE. For queues
// whose printer key holds TessalineRefuseAtStart=1 this wrapper does the latter; everything else
// goes to Wine's own provider unchanged.
//
// It relies on Wine 8.0's provider table and refuses to start on anything else.
#define UNICODE
#include <windows.h>
#include <winspool.h>
#include <winsplp.h>

#include <cstdio>
#include <cstring>
#include <cwchar>
#include <string>
#include <vector>

namespace {

// Wine's real provider must be loaded from its install path: a renamed copy loses its Unix side.
const wchar_t kRealProvider[] =
    L"Z:\\usr\\lib\\x86_64-linux-gnu\\wine\\x86_64-windows\\localspl.dll";
const char kWineVersion[] = "8.0";
// Which entries of Wine 8.0's provider table are filled ('1') or empty ('0'), in table order.
// A Wine whose table was reordered or resized shows a different pattern.
const char kTableFingerprint[] =
    "11100000000010111001010011110001111111111100000011000010000000000000000100001100000000";
// Lets the rig prove that a mismatch is refused; unset in normal runs.
const char kVersionOverride[] = "TESSALINE_LOCALSPL_WINE_VERSION";

const wchar_t kMarkValue[] = L"TessalineRefuseAtStart";
const wchar_t kPrintersKey[] = L"System\\CurrentControlSet\\Control\\Print\\Printers\\";
const wchar_t kProcessorsKey[] =
    L"System\\CurrentControlSet\\Control\\Print\\Environments\\Windows x64\\Print Processors\\";

HMODULE g_real_module;
PRINTPROVIDOR g_real;

// Open handles of marked queues and what their print processor accepts.
struct Guarded {
    HANDLE handle;
    std::vector<std::wstring> datatypes;
    std::wstring default_datatype;
};
SRWLOCK g_lock = SRWLOCK_INIT;
std::vector<Guarded> g_guarded;

void Complain(const char* text) {
    char line[512];
    std::snprintf(line, sizeof(line), "localspl wrapper: %s\n", text);
    DWORD written = 0;
    WriteFile(GetStdHandle(STD_ERROR_HANDLE), line, static_cast<DWORD>(std::strlen(line)), &written,
              nullptr);
    OutputDebugStringA(line);
}

FARPROC RealExport(const char* name) {
    if (!g_real_module) {
        g_real_module = LoadLibraryW(kRealProvider);
        if (!g_real_module) {
            Complain("cannot load Wine's localspl.dll from its install path");
            return nullptr;
        }
    }
    FARPROC proc = GetProcAddress(g_real_module, name);
    if (!proc) {
        Complain("Wine's localspl.dll lacks an expected export");
    }
    return proc;
}

std::string RunningWineVersion() {
    char override_version[32];
    DWORD n = GetEnvironmentVariableA(kVersionOverride, override_version, sizeof(override_version));
    if (n > 0 && n < sizeof(override_version)) {
        return override_version;
    }
    using GetVersionFn = const char*(CDECL*)();
    auto get_version = reinterpret_cast<GetVersionFn>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version")));
    return get_version ? get_version() : "not Wine";
}

std::string Fingerprint(const PRINTPROVIDOR& table) {
    void* entries[sizeof(PRINTPROVIDOR) / sizeof(void*)];
    std::memcpy(entries, &table, sizeof(entries));
    std::string marks;
    for (void* entry : entries) {
        marks += entry ? '1' : '0';
    }
    return marks;
}

bool ReadString(HKEY key, const wchar_t* name, std::wstring& out) {
    wchar_t buffer[MAX_PATH];
    DWORD size = sizeof(buffer) - sizeof(wchar_t), type = 0;
    if (RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(buffer), &size) !=
            ERROR_SUCCESS ||
        type != REG_SZ) {
        return false;
    }
    buffer[size / sizeof(wchar_t)] = L'\0';
    out = buffer;
    return true;
}

// Asks the processor's own DLL: Wine's EnumPrintProcessorDatatypes is a stub.
bool ProcessorDatatypes(const std::wstring& processor, std::vector<std::wstring>& out) {
    HKEY key;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, (kProcessorsKey + processor).c_str(), 0, KEY_READ,
                      &key) != ERROR_SUCCESS) {
        return false;
    }
    std::wstring driver;
    bool have_driver = ReadString(key, L"Driver", driver);
    RegCloseKey(key);
    wchar_t directory[MAX_PATH];
    DWORD needed = 0;
    if (!have_driver ||
        !g_real.fpGetPrintProcessorDirectory(
            nullptr, nullptr, 1, reinterpret_cast<BYTE*>(directory), sizeof(directory), &needed)) {
        return false;
    }
    HMODULE module = LoadLibraryW((std::wstring(directory) + L"\\" + driver).c_str());
    if (!module) {
        return false;
    }
    using EnumFn = BOOL(WINAPI*)(LPWSTR, LPWSTR, DWORD, LPBYTE, DWORD, LPDWORD, LPDWORD);
    auto enum_datatypes = reinterpret_cast<EnumFn>(
        reinterpret_cast<void*>(GetProcAddress(module, "EnumPrintProcessorDatatypesW")));
    bool ok = false;
    DWORD count = 0;
    std::wstring name = processor;
    if (enum_datatypes && !enum_datatypes(nullptr, &name[0], 1, nullptr, 0, &needed, &count) &&
        GetLastError() == ERROR_INSUFFICIENT_BUFFER) {
        std::vector<BYTE> buffer(needed);
        if (enum_datatypes(nullptr, &name[0], 1, buffer.data(), needed, &needed, &count)) {
            const auto* records = reinterpret_cast<const DATATYPES_INFO_1W*>(buffer.data());
            for (DWORD i = 0; i < count; ++i) {
                out.emplace_back(records[i].pName);
            }
            ok = true;
        }
    }
    FreeLibrary(module);
    return ok;
}

enum class Mark { kNone, kGuarded, kBroken };

// Reads the queue's mark and, for a marked queue, what its print processor accepts.
Mark ReadMark(const wchar_t* printer, const PRINTER_DEFAULTSW* defaults, Guarded& guarded) {
    // Job, port and server handles carry a comma or no name; only queues are guarded.
    if (!printer || !*printer || std::wcschr(printer, L',')) {
        return Mark::kNone;
    }
    HKEY key;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, (std::wstring(kPrintersKey) + printer).c_str(), 0,
                      KEY_READ, &key) != ERROR_SUCCESS) {
        return Mark::kNone;
    }
    DWORD mark = 0, size = sizeof(mark), type = 0;
    bool marked = RegQueryValueExW(key, kMarkValue, nullptr, &type, reinterpret_cast<BYTE*>(&mark),
                                   &size) == ERROR_SUCCESS &&
                  type == REG_DWORD && mark == 1;
    std::wstring processor = L"winprint";
    if (marked) {
        ReadString(key, L"Print Processor", processor);
        if (defaults && defaults->pDatatype) {
            guarded.default_datatype = defaults->pDatatype;
        } else {
            ReadString(key, L"Datatype", guarded.default_datatype);
        }
    }
    RegCloseKey(key);
    if (!marked) {
        return Mark::kNone;
    }
    return ProcessorDatatypes(processor, guarded.datatypes) ? Mark::kGuarded : Mark::kBroken;
}

BOOL WINAPI OpenPrinterHook(PWSTR printer, HANDLE* handle, PPRINTER_DEFAULTSW defaults) {
    if (!g_real.fpOpenPrinter(printer, handle, defaults)) {
        return FALSE;
    }
    Guarded guarded{*handle, {}, {}};
    switch (ReadMark(printer, defaults, guarded)) {
        case Mark::kNone:
            return TRUE;
        case Mark::kBroken:
            // A marked queue whose processor cannot be asked must not silently print.
            Complain("a marked queue's print processor does not list its datatypes");
            g_real.fpClosePrinter(*handle);
            *handle = nullptr;
            SetLastError(ERROR_UNKNOWN_PRINTPROCESSOR);
            return FALSE;
        case Mark::kGuarded:
            break;
    }
    AcquireSRWLockExclusive(&g_lock);
    g_guarded.push_back(std::move(guarded));
    ReleaseSRWLockExclusive(&g_lock);
    return TRUE;
}

// False when the handle belongs to a marked queue whose processor does not list the datatype
// the document would be spooled with.
bool Accepts(HANDLE handle, DWORD level, const BYTE* info) {
    AcquireSRWLockShared(&g_lock);
    bool accepted = true;
    for (const Guarded& guarded : g_guarded) {
        if (guarded.handle != handle) {
            continue;
        }
        // DOC_INFO_1 and DOC_INFO_2 begin alike.
        const wchar_t* datatype = nullptr;
        if ((level == 1 || level == 2) && info) {
            datatype = reinterpret_cast<const DOC_INFO_1W*>(info)->pDatatype;
        }
        if (!datatype && !guarded.default_datatype.empty()) {
            datatype = guarded.default_datatype.c_str();
        }
        if (datatype) {
            accepted = false;
            for (const std::wstring& known : guarded.datatypes) {
                accepted = accepted || known == datatype;
            }
        }
        break;
    }
    ReleaseSRWLockShared(&g_lock);
    return accepted;
}

DWORD WINAPI StartDocPrinterHook(HANDLE handle, DWORD level, LPBYTE info) {
    if (!Accepts(handle, level, info)) {
        SetLastError(ERROR_INVALID_DATATYPE);
        return 0;
    }
    return g_real.fpStartDocPrinter(handle, level, info);
}

BOOL WINAPI ClosePrinterHook(HANDLE handle) {
    AcquireSRWLockExclusive(&g_lock);
    for (auto it = g_guarded.begin(); it != g_guarded.end(); ++it) {
        if (it->handle == handle) {
            g_guarded.erase(it);
            break;
        }
    }
    ReleaseSRWLockExclusive(&g_lock);
    return g_real.fpClosePrinter(handle);
}

}  // namespace

extern "C" BOOL WINAPI InitializePrintProvidor(LPPRINTPROVIDOR provider, DWORD size,
                                               LPWSTR registry_path) {
    std::string version = RunningWineVersion();
    if (version != kWineVersion) {
        std::string text = "written for Wine " + std::string(kWineVersion) + ", running under " +
                           version + "; print provider not started";
        Complain(text.c_str());
        SetLastError(ERROR_OLD_WIN_VERSION);
        return FALSE;
    }
    if (!provider || size != sizeof(PRINTPROVIDOR)) {
        Complain("the spooler asks for a provider table of an unexpected size");
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    using InitFn = BOOL(WINAPI*)(LPPRINTPROVIDOR, DWORD, LPWSTR);
    auto init =
        reinterpret_cast<InitFn>(reinterpret_cast<void*>(RealExport("InitializePrintProvidor")));
    std::memset(&g_real, 0, sizeof(g_real));
    if (!init || !init(&g_real, sizeof(g_real), registry_path)) {
        return FALSE;
    }
    std::string found = Fingerprint(g_real);
    if (found != kTableFingerprint) {
        std::string text = "Wine's provider table is not the one this wrapper knows: " + found;
        Complain(text.c_str());
        SetLastError(ERROR_OLD_WIN_VERSION);
        return FALSE;
    }
    *provider = g_real;
    provider->fpOpenPrinter = OpenPrinterHook;
    provider->fpStartDocPrinter = StartDocPrinterHook;
    provider->fpClosePrinter = ClosePrinterHook;
    return TRUE;
}

extern "C" LPMONITOREX WINAPI InitializePrintMonitor(LPWSTR registry_root) {
    using InitFn = LPMONITOREX(WINAPI*)(LPWSTR);
    auto init =
        reinterpret_cast<InitFn>(reinterpret_cast<void*>(RealExport("InitializePrintMonitor")));
    return init ? init(registry_root) : nullptr;
}
