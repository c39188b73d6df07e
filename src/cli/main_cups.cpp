// The native command line over CUPS and POSIX: builds the platform and hands it to RunCli.
#include <pwd.h>
#include <signal.h>
#if defined(__GLIBC__)
#include <malloc.h>
#endif
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <iostream>
#include <string>
#include <thread>
#include <vector>

#include "cli/cli_platform.h"
#include "platform/cups/cups_destination_directory.h"
#include "platform/cups/cups_destination_router.h"
#include "platform/cups/cups_job_monitor.h"
#include "platform/cups/cups_printer_facts_source.h"
#include "platform/cups/cups_printer_list_source.h"
#include "platform/cups/cups_server_selector.h"
#include "platform/cups/cups_sign_in.h"
#include "platform/cups/cups_spooler.h"
#include "platform/posix/gnutls_digests.h"
#include "platform/posix/ini_registry.h"
#include "platform/ipp/ipp_device_links.h"
#include "platform/ipp/ipp_device_monitor.h"
#include "platform/ipp/ipp_device_spooler.h"
#include "platform/posix/posix_file_system.h"
#include "settings/settings_key.h"

namespace {

class SteadyClock final : public tessaline::CliClock {
  public:
    std::uint64_t NowMilliseconds() override {
        const auto now = std::chrono::steady_clock::now().time_since_epoch();
        return static_cast<std::uint64_t>(
            std::chrono::duration_cast<std::chrono::milliseconds>(now).count());
    }
    void SleepMilliseconds(std::uint32_t milliseconds) override {
        std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
    }
};

// Lock-free, so the handler may set it, and read from every thread that sends.
std::atomic<bool> g_stopRequested{false};
static_assert(std::atomic<bool>::is_always_lock_free);

// The first Ctrl-C asks the run to stop where it can (between the pieces of a write, so the
// job is cancelled, not cut); the default action is back at once, so a second one ends the
// program (SA_RESETHAND).
void OnInterrupt(int /*signal*/) {
    g_stopRequested.store(true);
}

class InterruptStop final : public tessaline::StopSignal {
  public:
    // SA_RESTART: a read or write libcups is blocked in goes on instead of failing with EINTR;
    // the stop is asked between pieces, where ending is clean.
    InterruptStop() {
        struct sigaction action {};
        action.sa_handler = &OnInterrupt;
        sigemptyset(&action.sa_mask);
        action.sa_flags = SA_RESTART | SA_RESETHAND;
        sigaction(SIGINT, &action, nullptr);
    }
    bool StopRequested() const override { return g_stopRequested.load(); }
};

// A thread that sends jobs takes the server and the sign-in the main thread was given.
class CupsThreadSetup final : public tessaline::ThreadSetup {
  public:
    CupsThreadSetup(const tessaline::CupsServerSelector& server, tessaline::CupsSignIn& signIn)
        : m_server(server), m_signIn(signIn) {}
    void PrepareThisThread() override {
        m_server.ApplyToThisThread();
        m_signIn.ApplyToThisThread();
    }

  private:
    const tessaline::CupsServerSelector& m_server;
    tessaline::CupsSignIn& m_signIn;
};

// Uploads and asks run on threads that come and go by the hundred. glibc would give them arenas
// of their own, each keeping the buffers freed in it; with one arena, and buffers of 16 KiB and
// more mapped only while in use, a fleet's peak stayed about 2 MiB lower (200 printers).
void KeepFreedMemoryReturned() {
#if defined(__GLIBC__)
    mallopt(M_ARENA_MAX, 1);
    mallopt(M_MMAP_THRESHOLD, 16 * 1024);
#endif
}

}  // namespace

int main(int argc, char** argv) {
    using namespace tessaline;
    KeepFreedMemoryReturned();
    const std::vector<std::string> args(argv + (argc > 0 ? 1 : 0), argv + argc);

    // Without HOME, the account's own home folder, as the XDG rules allow.
    const char* home = std::getenv("HOME");
    if (home == nullptr) {
        const passwd* account = getpwuid(getuid());
        home = account != nullptr ? account->pw_dir : nullptr;
    }
    IniRegistry registry(PrintSettingsFilePath(std::getenv("XDG_CONFIG_HOME"), home));
    ProfileStore profile(registry, kMakerKey, kCliApplicationKey);
    InterruptStop stop;
    // Sets libcups' per-thread settings when configured: this thread, the one that prints.
    // Every connection tells it when it closes.
    CupsSignIn signIn;
    CupsSpooler queueSpooler(&stop, &signIn);
    CupsJobMonitor queueJobs(&signIn);
    IppDeviceSpooler deviceSpooler(&stop, &signIn);
    IppDeviceMonitor deviceJobs(&signIn);
    CupsDestinationRouter router(
        PrinterRoute{queueSpooler, queueJobs, &queueSpooler},
        PrinterRoute{deviceSpooler, deviceJobs, &deviceSpooler, &deviceSpooler, &deviceSpooler},
        &signIn);
    CupsDestinationDirectory destinations(&signIn);
    IppDeviceLinks printerLinks(&signIn);
    CupsPrinterFactsSource facts(printerLinks, destinations);
    CupsPrinterListSource printers(&signIn);
    PosixFileSystem files;
    CupsServerSelector server(&signIn);
    GnutlsDigests digests;
    SteadyClock clock;

    CliPlatform platform{router,
                         printers,
                         profile,
                         files,
                         router,
                         clock,
                         std::cin,
                         std::cout,
                         std::cerr,
                         isatty(STDIN_FILENO) == 1,
                         isatty(STDERR_FILENO) == 1,
                         true};
    platform.progress = &router;
    platform.stop = &stop;
    platform.notes = &router;
    platform.formats = &router;
    platform.signIn = &signIn;
    platform.destinations = &destinations;
    platform.facts = &facts;
    platform.server = &server;
    platform.digests = &digests;
    CupsThreadSetup threads(server, signIn);
    platform.threads = &threads;
    const int code = RunCli(args, platform);
    std::cout.flush();
    return code;
}
