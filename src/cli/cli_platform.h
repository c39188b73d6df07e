#pragma once

#include <cstdint>
#include <iosfwd>
#include <string>
#include <vector>

#include "platform/file.h"
#include "platform/job_monitor.h"
#include "platform/printer_list_source.h"
#include "platform/spooler.h"
#include "settings/print_settings.h"

namespace tessaline {

// The window's own settings key, HKCU\Software\Korvane\Tessaline: the command line shares it,
// so it must not follow this program's file name as the window's key does.
inline constexpr char kCliMakerKey[] = "Korvane";
inline constexpr char kCliApplicationKey[] = "Tessaline";

// Told how far the single write of a job has gone. Called on the thread that writes.
class WriteProgress {
  public:
    virtual ~WriteProgress() = default;
    virtual void OnWritten(std::uint64_t done, std::uint64_t total) = 0;
};

// A spooler whose write can be watched while it goes out (one that writes in pieces).
class WriteProgressSource {
  public:
    virtual ~WriteProgressSource() = default;
    // sink stays valid until it is replaced; null stops the reports.
    virtual void SetWriteProgress(WriteProgress* sink) = 0;
};

// The print server the spooler and printer list talk to (--server HOST[:PORT]).
class ServerSelector {
  public:
    virtual ~ServerSelector() = default;
    // Called before any printer is listed or opened. False: the name cannot be used; err says
    // why in one line.
    virtual bool UseServer(const std::string& hostPort, std::string* err) = 0;
};

// Time for --wait; a fake clock makes the loop testable.
class CliClock {
  public:
    virtual ~CliClock() = default;
    virtual std::uint64_t NowMilliseconds() = 0;
    virtual void SleepMilliseconds(std::uint32_t milliseconds) = 0;
};

// Everything the command line needs from its platform, built by the composition root
// (main_win32.cpp or main_cups.cpp). Nothing here is owned by the command line.
struct CliPlatform {
    Spooler& spooler;
    PrinterListSource& printers;
    // Built over kCliMakerKey / kCliApplicationKey. Reading must never store anything.
    ProfileStore& profile;
    FileSystem& files;
    JobMonitor& jobs;
    CliClock& clock;
    std::istream& in;
    std::ostream& out;
    std::ostream& err;
    bool inIsTerminal;   // standard input is a terminal: the confirmation may be asked
    bool errIsTerminal;  // standard error is a terminal: progress may be drawn
    // Null where the one write cannot be watched (the Win32 spooler's single WritePrinter).
    WriteProgressSource* progress = nullptr;
    // Null where --server means nothing (Windows reaches servers as \\server\printer).
    ServerSelector* server = nullptr;
};

// args excludes the program name. Returns the exit code (0 to 7).
int RunCli(const std::vector<std::string>& args, CliPlatform& platform);

}  // namespace tessaline
