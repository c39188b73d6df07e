#include "cli/verify/cli_expect_version.h"

#include "base/untrusted_text.h"
#include "cli/cli_exit.h"
#include "cli/inventory/ask_all.h"

namespace tessaline {

ChecksBefore CheckBeforeUpgrade(const CliOptions& options, CliPlatform& platform) {
    ChecksBefore before;
    before.checks.resize(options.printers.size());
    before.asked = AskAll(
        *platform.facts, options.printers, options.window.parallel, platform.threads, platform.stop,
        [&](std::size_t i, const PrinterAnswer& answer) {
            before.checks[i] = CheckVersion(answer, *options.expectVersion, options.component);
        });
    return before;
}

std::string NotSentLine(const std::string& printer, const VersionCheck& check) {
    if (check.verdict == BeforeUpgrade::AlreadyCurrent) {
        return printer + ": already runs " + TerminalSafe(check.version.value_or("")) + " (" +
               TerminalSafe(check.component.value_or("")) + "): not sent";
    }
    return printer + ": not sent: its version cannot be checked: " + TerminalSafe(check.message);
}

std::string VerifiedLine(const std::string& printer, const Verification& verification,
                         const VersionCheck& before) {
    if (verification.Outcome() == VerifyOutcome::Verified) {
        return printer + ": verified: " + TerminalSafe(before.component.value_or("")) +
               " reports " + TerminalSafe(verification.After().value_or("")) +
               " (before: " + TerminalSafe(before.version.value_or("")) + ")";
    }
    return printer + ": not verified: " + TerminalSafe(verification.Message());
}

std::string VersionsText(const VersionCheck& before, const Verification* after) {
    const std::string was = TerminalSafe(before.version.value_or("-"));
    if (after == nullptr || !after->After()) {
        return was;
    }
    return was + " -> " + TerminalSafe(*after->After());
}

void ChecksAfterJob::Begin(std::size_t item, const std::string& printer, const VersionCheck& before,
                           std::uint64_t nowMs) {
    VerifyPlan plan;
    plan.expected = m_expected;
    plan.component = before.component.value_or("");
    plan.before = before.version;
    plan.timeoutMs = m_timeoutMs;
    m_items.emplace(item, Checking{printer, nowMs, Verification(std::move(plan)), {}});
}

std::optional<PrinterAnswer> ChecksAfterJob::Answer(Checking& checking) {
    if (m_threads == nullptr) {
        return m_facts.Ask(checking.printer);
    }
    // A thread of our own, not std::async: its shared state needs call_once, which one of the
    // Windows toolchains cannot link.
    if (!checking.pending) {
        checking.pending = std::make_unique<PendingAsk>();
        PendingAsk* pending = checking.pending.get();
        pending->thread = std::thread([this, pending, printer = checking.printer] {
            std::optional<PrinterAnswer> answer;
            std::exception_ptr error;
            try {
                m_threads->PrepareThisThread();
                answer = m_facts.Ask(printer);
            } catch (...) {
                error = std::current_exception();
            }
            const std::lock_guard<std::mutex> lock(pending->mutex);
            pending->answer = std::move(answer);
            pending->error = error;
            pending->done = true;
        });
    }
    {
        const std::lock_guard<std::mutex> lock(checking.pending->mutex);
        if (!checking.pending->done) {
            return std::nullopt;
        }
    }
    const std::unique_ptr<PendingAsk> ended = std::move(checking.pending);
    ended->thread.join();
    if (ended->error) {
        std::rethrow_exception(ended->error);
    }
    return std::move(ended->answer);
}

std::vector<std::pair<std::size_t, int>> ChecksAfterJob::AskDue(std::uint64_t nowMs) {
    std::vector<std::pair<std::size_t, int>> ended;
    for (auto& [item, checking] : m_items) {
        Verification& verification = checking.verification;
        const std::uint64_t sinceJob = nowMs - checking.jobEndedMs;
        if (m_stop != nullptr && m_stop->StopRequested()) {
            break;
        }
        if (verification.Outcome() != VerifyOutcome::Asking ||
            sinceJob < verification.NextAskAtMs()) {
            continue;
        }
        const std::optional<PrinterAnswer> answer = Answer(checking);
        if (!answer) {
            continue;
        }
        const VerifyOutcome outcome =
            verification.Take(*answer, static_cast<std::uint32_t>(sinceJob));
        if (outcome != VerifyOutcome::Asking) {
            ended.emplace_back(item, VerifyExitCode(outcome));
        }
    }
    return ended;
}

const Verification* ChecksAfterJob::Of(std::size_t item) const {
    const auto found = m_items.find(item);
    return found == m_items.end() ? nullptr : &found->second.verification;
}

}  // namespace tessaline
