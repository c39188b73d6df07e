#pragma once

#include <cstddef>
#include <cstdint>
#include <exception>
#include <memory>
#include <mutex>
#include <thread>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "cli/cli_args.h"
#include "cli/cli_platform.h"
#include "cli/verify/verification.h"
#include "cli/verify/version_check.h"

namespace tessaline {

// The stages --json and the summary give a printer of an upgrade with --expect-version.
inline constexpr char kAlreadyCurrentStage[] = "AlreadyCurrent";
inline constexpr char kNotVerifiableStage[] = "NotVerifiable";
inline constexpr char kVerifiedStage[] = "Verified";
inline constexpr char kNotVerifiedStage[] = "NotVerified";

// Every printer of the run asked before any byte goes out, side by side as uploads go.
struct ChecksBefore {
    std::vector<VersionCheck> checks;  // per printer, in the order given
    std::size_t asked = 0;             // fewer than the printers: Ctrl-C came first
};
ChecksBefore CheckBeforeUpgrade(const CliOptions& options, CliPlatform& platform);

// The line for a printer the check keeps from the upgrade; what the printer said is made safe
// for a terminal.
std::string NotSentLine(const std::string& printer, const VersionCheck& check);
// The line for a printer asked after its job, made safe as above.
std::string VerifiedLine(const std::string& printer, const Verification& verification,
                         const VersionCheck& before);
// "2.0.3 -> 2.1.0" for the summary; "-" for what was not asked.
std::string VersionsText(const VersionCheck& before, const Verification* after);

// The printers asked again after their jobs completed, each as its Verification spaces the
// asks. Where threads is set, each ask runs on a thread of its own, so that a printer slow to
// answer holds up neither the others nor the window; else on the caller's thread. Times are the
// caller's clock in milliseconds. Once stop says so (stop may be null), no further ask goes
// out; the destructor waits for those under way.
class ChecksAfterJob {
  public:
    ChecksAfterJob(PrinterFactsSource& facts, std::string expected, std::uint32_t timeoutMs,
                   const StopSignal* stop, ThreadSetup* threads)
        : m_facts(facts),
          m_expected(std::move(expected)),
          m_timeoutMs(timeoutMs),
          m_stop(stop),
          m_threads(threads) {}

    void Begin(std::size_t item, const std::string& printer, const VersionCheck& before,
               std::uint64_t nowMs);
    // Asks the printers whose ask is due and takes the answers that came; the items that
    // ended, with their exit codes. An exception an ask threw comes out here.
    std::vector<std::pair<std::size_t, int>> AskDue(std::uint64_t nowMs);
    // Null for an item never begun.
    const Verification* Of(std::size_t item) const;

  private:
    // An ask under way on a thread of its own; destroying it waits for the ask to end.
    struct PendingAsk {
        ~PendingAsk() {
            if (thread.joinable()) {
                thread.join();
            }
        }
        std::thread thread;
        std::mutex mutex;  // guards the three below, written once by the thread
        bool done = false;
        std::optional<PrinterAnswer> answer;
        std::exception_ptr error;
    };
    struct Checking {
        std::string printer;
        std::uint64_t jobEndedMs;
        Verification verification;
        std::unique_ptr<PendingAsk> pending;
    };

    // The answer to item's ask, asked now or come from its thread; nothing while it is awaited.
    std::optional<PrinterAnswer> Answer(Checking& checking);

    PrinterFactsSource& m_facts;
    std::string m_expected;
    std::uint32_t m_timeoutMs;
    const StopSignal* m_stop;
    ThreadSetup* m_threads;
    std::map<std::size_t, Checking> m_items;
};

}  // namespace tessaline
