#pragma once

#include <cstdint>
#include <iosfwd>
#include <string>
#include <vector>

#include "platform/destination_directory.h"
#include "platform/digest.h"
#include "platform/file.h"
#include "platform/job_monitor.h"
#include "platform/printer_facts.h"
#include "platform/printer_list_source.h"
#include "platform/printer_notes.h"
#include "platform/server_selector.h"
#include "platform/sign_in.h"
#include "platform/spooler.h"
#include "platform/stop_signal.h"
#include "platform/thread_setup.h"
#include "platform/write_progress.h"
#include "settings/print_settings.h"

namespace tessaline {

// The application's settings key. The window names it after its own file name; the command line
// must share the window's settings under the name it ships with, Tessaline.exe, so it cannot
// follow its own file name (tessaline-cli) and keeps this one fixed.
inline constexpr char kCliApplicationKey[] = "Tessaline";

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
    // Built over kMakerKey / kCliApplicationKey. Reading must never store anything.
    ProfileStore& profile;
    FileSystem& files;
    JobMonitor& jobs;
    CliClock& clock;
    std::istream& in;
    std::ostream& out;
    std::ostream& err;
    bool inIsTerminal;   // standard input is a terminal: the confirmation may be asked
    bool errIsTerminal;  // standard error is a terminal: progress may be drawn
    // Printers may be named by address (ipp://, ipps://) and reached with no queue. Where not
    // (Windows names them \\server\printer), such a name is a usage error.
    bool reachesPrintersByAddress;
    // Null where the one write cannot be watched (the Win32 spooler's single WritePrinter).
    WriteProgressSource* progress = nullptr;
    // Null where --server means nothing (Windows reaches servers as \\server\printer).
    ServerSelector* server = nullptr;
    // The platform's SHA-256, for --sha256.
    Digests* digests = nullptr;
    // Set by Ctrl-C; null where the run cannot be stopped.
    StopSignal* stop = nullptr;
    // Why a printer's job went as it did, beyond its stage; null where the spooler says nothing.
    PrinterNotes* notes = nullptr;
    // Null where the spooler chooses the document format itself.
    DocumentFormatChoice* formats = nullptr;
    // Null where --encrypt, --user and --password-file mean nothing (the Windows spooler signs
    // in as the user who runs the program).
    SignIn* signIn = nullptr;
    // Each destination's device and state, for `printers --json`; null where only names are
    // known.
    DestinationDirectory* destinations = nullptr;
    // Set where the spooler, its notes and the sign-in may be used from several threads at
    // once: then an upgrade sends up to --parallel files side by side. Null: one at a time.
    ThreadSetup* threads = nullptr;
    // Asks printers what they run (inventory, upgrade --expect-version); null where they cannot
    // be asked.
    PrinterFactsSource* facts = nullptr;
};

// args excludes the program name. Returns one of the exit codes of cli/cli_exit.h.
int RunCli(const std::vector<std::string>& args, CliPlatform& platform);

}  // namespace tessaline
