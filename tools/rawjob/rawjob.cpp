// rawjob.exe <printer> <datatype>[,<datatype>...] <file> [--startdoc=A|W] [--stamp]
// rawjob.exe --list
//
// Submits <file> as one raw job, calling the spooler in the program's order: each datatype is
// offered in turn on the same handle until one is accepted, as the program falls back from
// "XPS_PASS" to "RAW". Prints one line per call: "<Call> ok" or "<Call> failed error <n>". The exit
// code names the stage at which the job ended, so a shell check needs no parsing.
//
// With --stamp it is also the benchmark's bare baseline: "time <step> <seconds>" follows the start
// of main, the read and every call, in Unix time (the clock of `date +%s.%N`).
#include <windows.h>
#include <winspool.h>

#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace {

enum ExitCode : int {
    kCompleted = 0,
    kUsage = 2,
    kFileUnreadable = 3,
    kOpenFailed = 10,
    kStartDocFailed = 11,
    kStartPageFailed = 12,
    kWriteFailed = 13,
    kEndPageFailed = 14,
    kEndDocFailed = 15,
    kShortWrite = 16,
};

bool g_stamp = false;

void Stamp(const char* step) {
    if (!g_stamp) {
        return;
    }
    FILETIME now;
    GetSystemTimePreciseAsFileTime(&now);
    // 100 ns ticks since 1601 to microseconds since 1970.
    const unsigned long long ticks =
        (static_cast<unsigned long long>(now.dwHighDateTime) << 32) | now.dwLowDateTime;
    const unsigned long long micros = (ticks - 116444736000000000ULL) / 10;
    std::printf("time %s %llu.%06llu\n", step, micros / 1000000, micros % 1000000);
    std::fflush(stdout);
}

// Prints the call's outcome and the last error it left, before anything else can overwrite it.
bool Report(const char* call, BOOL ok) {
    DWORD error = GetLastError();
    if (ok) {
        std::printf("%s ok\n", call);
    } else {
        std::printf("%s failed error %lu\n", call, error);
    }
    std::fflush(stdout);
    Stamp(call);
    return ok != FALSE;
}

// The least a program can do to hold a file whole: one buffer of the file's size, left
// uninitialised, filled by reads straight into it.
bool ReadWholeFile(const char* path, std::unique_ptr<char[]>& bytes, DWORD& size) {
    const HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return false;
    }
    LARGE_INTEGER length{};
    bool ok = GetFileSizeEx(file, &length) && length.QuadPart <= 0xFFFFFFFFLL;
    size = ok ? static_cast<DWORD>(length.QuadPart) : 0;
    if (ok) {
        bytes.reset(new char[size ? size : 1]);
    }
    DWORD done = 0;
    while (ok && done < size) {
        DWORD got = 0;
        ok = ReadFile(file, bytes.get() + done, size - done, &got, nullptr) && got > 0;
        done += got;
    }
    CloseHandle(file);
    return ok;
}

// The "A" entry point is what the program calls; under Wine 8 it replaces the spooler's error
// with 87 on failure, so "W" is offered to see the error the spooler itself gave.
BOOL StartDoc(HANDLE printer, const char* datatype, bool wide) {
    if (!wide) {
        DOC_INFO_1A doc = {};
        doc.pDocName = const_cast<char*>("My Document");
        doc.pOutputFile = nullptr;
        doc.pDatatype = const_cast<char*>(datatype);
        return StartDocPrinterA(printer, 1, reinterpret_cast<BYTE*>(&doc)) != 0;
    }
    wchar_t wide_type[64];
    if (!MultiByteToWideChar(CP_ACP, 0, datatype, -1, wide_type, 64)) {
        return FALSE;
    }
    DOC_INFO_1W doc = {};
    doc.pDocName = const_cast<wchar_t*>(L"My Document");
    doc.pOutputFile = nullptr;
    doc.pDatatype = wide_type;
    return StartDocPrinterW(printer, 1, reinterpret_cast<BYTE*>(&doc)) != 0;
}

std::vector<std::string> SplitDatatypes(const std::string& list) {
    std::vector<std::string> datatypes;
    size_t start = 0;
    for (;;) {
        size_t comma = list.find(',', start);
        datatypes.push_back(list.substr(start, comma - start));
        if (comma == std::string::npos) {
            return datatypes;
        }
        start = comma + 1;
    }
}

int Submit(const char* name, const std::vector<std::string>& datatypes, const char* bytes,
           DWORD size, bool wide) {
    HANDLE printer = nullptr;
    if (!Report("OpenPrinterA", OpenPrinterA(const_cast<char*>(name), &printer, nullptr))) {
        return kOpenFailed;
    }
    int stage = kCompleted;
    DWORD written = 0;
    bool started = false;
    for (const std::string& datatype : datatypes) {
        std::printf("datatype %s\n", datatype.c_str());
        started = Report(wide ? "StartDocPrinterW" : "StartDocPrinterA",
                         StartDoc(printer, datatype.c_str(), wide));
        if (started) {
            break;
        }
    }
    if (!started) {
        stage = kStartDocFailed;
    } else {
        if (!Report("StartPagePrinter", StartPagePrinter(printer))) {
            stage = kStartPageFailed;
        } else {
            BOOL wrote = WritePrinter(printer, const_cast<char*>(bytes), size, &written);
            if (!Report("WritePrinter", wrote)) {
                stage = kWriteFailed;
            }
            std::printf("written %lu of %lu\n", written, size);
            if (!Report("EndPagePrinter", EndPagePrinter(printer)) && stage == kCompleted) {
                stage = kEndPageFailed;
            }
        }
        if (!Report("EndDocPrinter", EndDocPrinter(printer)) && stage == kCompleted) {
            stage = kEndDocFailed;
        }
    }
    Report("ClosePrinter", ClosePrinter(printer));
    if (stage == kCompleted && written != size) {
        stage = kShortWrite;
    }
    return stage;
}

// Lists the local printers the spooler knows; loading the spooler is also what makes Wine pick up
// the queues of the CUPS server it is pointed at.
int List() {
    DWORD needed = 0, count = 0;
    EnumPrintersA(PRINTER_ENUM_LOCAL, nullptr, 4, nullptr, 0, &needed, &count);
    std::vector<BYTE> buffer(needed ? needed : 1);
    if (!EnumPrintersA(PRINTER_ENUM_LOCAL, nullptr, 4, buffer.data(), needed, &needed, &count)) {
        Report("EnumPrintersA", FALSE);
        return kOpenFailed;
    }
    const auto* info = reinterpret_cast<const PRINTER_INFO_4A*>(buffer.data());
    for (DWORD i = 0; i < count; ++i) {
        std::printf("%s\n", info[i].pPrinterName);
    }
    return kCompleted;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 2 && std::strcmp(argv[1], "--list") == 0) {
        return List();
    }
    bool wide = false;
    bool usage = argc < 4;
    for (int i = 4; i < argc; ++i) {
        if (std::strcmp(argv[i], "--startdoc=W") == 0) {
            wide = true;
        } else if (std::strcmp(argv[i], "--startdoc=A") == 0) {
            wide = false;
        } else if (std::strcmp(argv[i], "--stamp") == 0) {
            g_stamp = true;
        } else {
            usage = true;
        }
    }
    if (usage) {
        std::fprintf(stderr,
                     "usage: rawjob <printer> <datatype>[,<datatype>...] <file> [--startdoc=A|W] "
                     "[--stamp]\n"
                     "       rawjob --list\n");
        return kUsage;
    }
    Stamp("main");
    std::unique_ptr<char[]> bytes;
    DWORD size = 0;
    if (!ReadWholeFile(argv[3], bytes, size)) {
        std::fprintf(stderr, "rawjob: cannot read %s\n", argv[3]);
        return kFileUnreadable;
    }
    Stamp("read");
    int stage = Submit(argv[1], SplitDatatypes(argv[2]), bytes.get(), size, wide);
    std::printf("exit %d\n", stage);
    return stage;
}
