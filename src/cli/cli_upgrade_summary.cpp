#include "cli/cli_upgrade_summary.h"

#include <algorithm>
#include <ostream>

#include "base/untrusted_text.h"
#include "cli/cli_exit.h"
#include "cli/cli_report.h"

namespace tessaline {
namespace {

std::string Pad(const std::string& text, std::size_t width) {
    return text.size() < width ? text + std::string(width - text.size(), ' ') : text;
}

// One row of the summary for a printer that was sent the file, or that the run stopped before.
std::vector<std::string> SentRow(const CliOptions& options, const WindowOutcome& o,
                                 std::uint32_t length, const std::string& versions) {
    const RawJobResult& result = o.submitted.result;
    std::vector<std::string> row = {o.started ? StageName(result.stage) : kNotStartedStage,
                                    std::to_string(result.written) + "/" + std::to_string(length),
                                    result.jobId != 0 ? std::to_string(result.jobId) : "-"};
    if (options.window.waitSeconds) {
        row.push_back(o.followed ? JobStateName(o.status.state) : "-");
    }
    if (options.expectVersion) {
        row.push_back(versions);
    }
    row.push_back(std::to_string(o.exitCode));
    return row;
}

// One row for a printer the check before the upgrade kept from it.
std::vector<std::string> NotSentRow(const VersionCheck& check, std::uint32_t length) {
    return {
        check.verdict == BeforeUpgrade::AlreadyCurrent ? kAlreadyCurrentStage : kNotVerifiableStage,
        "0/" + std::to_string(length),
        "-",
        "-",
        VersionsText(check, nullptr),
        std::to_string(VersionCheckExitCode(check.verdict))};
}

std::vector<std::vector<std::string>> SummaryRows(const CliOptions& options, const WindowRun& run,
                                                  const UpgradeTargets& targets,
                                                  const ChecksBefore& before,
                                                  std::uint32_t length) {
    std::vector<std::vector<std::string>> rows = {{"PRINTER", "STAGE", "WRITTEN", "JOB"}};
    if (options.window.waitSeconds) {
        rows.back().push_back("STATE");
    }
    if (options.expectVersion) {
        rows.back().push_back("VERSION");
    }
    rows.back().push_back("EXIT");
    std::size_t sent = 0;
    for (std::size_t i = 0; i < options.printers.size(); ++i) {
        std::vector<std::string> row = {options.printers[i]};
        if (!before.checks.empty() && before.checks[i].verdict != BeforeUpgrade::Send) {
            const std::vector<std::string> notSent = NotSentRow(before.checks[i], length);
            row.insert(row.end(), notSent.begin(), notSent.end());
        } else {
            const Verification* after = targets.after ? targets.after->Of(sent) : nullptr;
            const std::string versions =
                before.checks.empty() ? "" : VersionsText(before.checks[i], after);
            std::vector<std::string> rest = SentRow(options, run.outcomes[sent], length, versions);
            if (after != nullptr && after->Outcome() != VerifyOutcome::Asking) {
                rest[0] = after->Outcome() == VerifyOutcome::Verified ? kVerifiedStage
                                                                      : kNotVerifiedStage;
            }
            row.insert(row.end(), rest.begin(), rest.end());
            ++sent;
        }
        rows.push_back(row);
    }
    return rows;
}

void PrintSummary(CliPlatform& platform, const std::vector<std::vector<std::string>>& rows) {
    std::vector<std::size_t> widths(rows[0].size(), 0);
    for (const auto& row : rows) {
        for (std::size_t c = 0; c < row.size(); ++c) {
            widths[c] = std::max(widths[c], row[c].size());
        }
    }
    for (const auto& row : rows) {
        std::string line;
        for (std::size_t c = 0; c < row.size(); ++c) {
            line += c + 1 < row.size() ? Pad(row[c], widths[c] + 2) : row[c];
        }
        platform.out << line << '\n';
    }
}

void PrintAlreadyCurrent(const CliOptions& options, CliPlatform& platform,
                         const ChecksBefore& before) {
    std::size_t current = 0;
    for (const VersionCheck& check : before.checks) {
        current += check.verdict == BeforeUpgrade::AlreadyCurrent ? 1 : 0;
    }
    if (current != 0) {
        platform.out << current << " of " << options.printers.size() << " already ran "
                     << TerminalSafe(*options.expectVersion) << ": not sent\n";
    }
}

}  // namespace

void PrintUpgradeSummary(const CliOptions& options, CliPlatform& platform, const WindowRun& run,
                         const UpgradeTargets& targets, const ChecksBefore& before,
                         std::uint32_t length) {
    PrintSummary(platform, SummaryRows(options, run, targets, before, length));
    PrintAlreadyCurrent(options, platform, before);
}

}  // namespace tessaline
