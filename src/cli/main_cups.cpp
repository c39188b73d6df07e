// The native command line over CUPS and POSIX: builds the platform and hands it to RunCli.
#include <pwd.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <iostream>
#include <string>
#include <thread>
#include <vector>

#include "cli/cli_platform.h"
#include "platform/cups/cups_job_monitor.h"
#include "platform/cups/cups_printer_list_source.h"
#include "platform/cups/cups_server_selector.h"
#include "platform/cups/cups_spooler.h"
#include "platform/cups/gnutls_digests.h"
#include "platform/cups/ini_registry.h"
#include "platform/cups/posix_file_system.h"
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

}  // namespace

int main(int argc, char** argv) {
    using namespace tessaline;
    const std::vector<std::string> args(argv + (argc > 0 ? 1 : 0), argv + argc);

    // Without HOME, the account's own home folder, as the XDG rules allow.
    const char* home = std::getenv("HOME");
    if (home == nullptr) {
        const passwd* account = getpwuid(getuid());
        home = account != nullptr ? account->pw_dir : nullptr;
    }
    IniRegistry registry(PrintSettingsFilePath(std::getenv("XDG_CONFIG_HOME"), home));
    ProfileStore profile(registry, kMakerKey, kCliApplicationKey);
    CupsSpooler spooler;
    CupsPrinterListSource printers;
    PosixFileSystem files;
    CupsJobMonitor jobs;
    CupsServerSelector server;
    GnutlsDigests digests;
    SteadyClock clock;

    CliPlatform platform{spooler,
                         printers,
                         profile,
                         files,
                         jobs,
                         clock,
                         std::cin,
                         std::cout,
                         std::cerr,
                         isatty(STDIN_FILENO) == 1,
                         isatty(STDERR_FILENO) == 1};
    platform.progress = &spooler;
    platform.server = &server;
    platform.digests = &digests;
    const int code = RunCli(args, platform);
    std::cout.flush();
    return code;
}
