#include <windows.h>

#include <fcntl.h>
#include <io.h>

#include <atomic>
#include <cstdio>
#include <iostream>
#include <string>
#include <vector>

#include "cli/cli_platform.h"
#include "platform/win32/win32_digests.h"
#include "platform/win32/win32_file_system.h"
#include "platform/win32/win32_job_monitor.h"
#include "platform/win32/win32_printer_list_source.h"
#include "platform/win32/win32_registry.h"
#include "platform/win32/win32_spooler.h"
#include "settings/settings_key.h"

namespace {

// A console, not just a character device: the C runtime's _isatty also says yes for NUL, and a
// program run with input from NUL must not wait for an answer.
bool IsConsole(DWORD which) {
    DWORD mode = 0;
    return ::GetConsoleMode(::GetStdHandle(which), &mode) != FALSE;
}

class Win32Clock final : public tessaline::CliClock {
  public:
    std::uint64_t NowMilliseconds() override { return ::GetTickCount64(); }
    void SleepMilliseconds(std::uint32_t milliseconds) override { ::Sleep(milliseconds); }
};

// Ctrl-C asks the run to stop between jobs (the one WritePrinter cannot be cut short); a
// second Ctrl-C is left to Windows, which ends the program.
std::atomic<bool> g_stopRequested{false};

BOOL WINAPI OnConsoleControl(DWORD event) {
    if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT) {
        return FALSE;
    }
    return g_stopRequested.exchange(true) ? FALSE : TRUE;
}

class ConsoleStopSignal final : public tessaline::StopSignal {
  public:
    bool StopRequested() const override { return g_stopRequested.load(); }
};

}  // namespace

int main(int argc, char** argv) {
    // Bytes out as they are: printer names are single-byte text and JSON lines end in \n alone.
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);

    const std::vector<std::string> args(argv + (argc > 0 ? 1 : 0), argv + argc);

    tessaline::Win32Spooler spooler;
    tessaline::Win32PrinterListSource printers;
    tessaline::Win32Registry registry;
    // The window's key, whatever this program is called.
    tessaline::ProfileStore profile(registry, tessaline::kMakerKey, tessaline::kCliApplicationKey);
    tessaline::Win32FileSystem files;
    tessaline::Win32JobMonitor jobs;
    Win32Clock clock;
    tessaline::Win32Digests digests;

    // The single WritePrinter cannot be watched, so there is no progress source, and no
    // --server and no printer by address: Windows reaches print servers through names such as
    // \\server\printer.
    tessaline::CliPlatform platform{spooler,
                                    printers,
                                    profile,
                                    files,
                                    jobs,
                                    clock,
                                    std::cin,
                                    std::cout,
                                    std::cerr,
                                    IsConsole(STD_INPUT_HANDLE),
                                    IsConsole(STD_ERROR_HANDLE),
                                    false};
    platform.digests = &digests;
    ConsoleStopSignal stop;
    platform.stop = &stop;
    ::SetConsoleCtrlHandler(OnConsoleControl, TRUE);
    return tessaline::RunCli(args, platform);
}
