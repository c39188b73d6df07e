#include "cli/cli_upgrade.h"

#include <algorithm>
#include <cctype>
#include <istream>
#include <new>
#include <ostream>
#include <vector>

#include "cli/fleet/cli_fleet_output.h"
#include "cli/fleet/cli_job_window.h"
#include "cli/fleet/cli_progress.h"
#include "cli/cli_report.h"
#include "cli/cli_server_note.h"
#include "cli/cli_upgrade_summary.h"
#include "cli/cli_sha256.h"
#include "cli/fleet/cli_wait.h"
#include "cli/cli_usage.h"
#include "cli/verify/cli_expect_version.h"
#include "jobs/flash_upgrade.h"
#include "platform/file_error_text.h"

namespace tessaline {
namespace {

// Prints the datatype notices as they happen, with the captions of the window's boxes.
class CliNotices : public NoticeReceiver {
  public:
    CliNotices(FleetOutput& output, const std::string& printer, bool on)
        : m_output(output), m_printer(printer), m_on(on) {}

    void OnNotice(Notice notice) override {
        if (m_on) {
            const UpgradeMessage message = NoticeMessage(notice);
            m_output.Err(m_printer + ": " + message.caption + ": " + message.text);
        }
    }

  private:
    FleetOutput& m_output;
    const std::string& m_printer;
    bool m_on;
};

// Nothing reached any printer: one line on stderr, and with --json one object per printer.
int StopBeforeSending(const CliOptions& options, CliPlatform& platform, const char* stage,
                      const std::string& message, int exitCode,
                      const std::optional<std::string>& sha256 = std::nullopt) {
    platform.err << "tessaline-cli: " << message << '\n';
    if (options.json) {
        for (const std::string& printer : options.printers) {
            JobReport report;
            report.printer = printer;
            report.stage = stage;
            report.sha256Given = options.sha256.has_value();
            report.sha256 = sha256;
            platform.out << JobReportJson(report) << '\n';
        }
    }
    return exitCode;
}

int FileError(const CliOptions& options, CliPlatform& platform, const std::string& text,
              const std::optional<std::string>& sha256 = std::nullopt) {
    return StopBeforeSending(options, platform, "FileError",
                             std::string(kFileErrorCaption) + ": " + options.file + ": " + text,
                             kExitFileError, sha256);
}

// With --sha256, the file read must be the one intended before any of it is sent: kExitOk and
// its digest in *hex, or the file error.
int CheckSha256(const CliOptions& options, CliPlatform& platform, const UpgradeBytes& bytes,
                std::optional<std::string>* hex) {
    if (!options.sha256) {
        return kExitOk;
    }
    Sha256Digest actual{};
    if (platform.digests == nullptr ||
        !platform.digests->Sha256(bytes.data.get(), bytes.length, &actual)) {
        return FileError(options, platform, "its SHA-256 could not be computed; nothing was sent");
    }
    *hex = Sha256Hex(actual);
    if (actual != *options.sha256) {
        return FileError(options, platform,
                         "its SHA-256 is " + **hex + ", not " + Sha256Hex(*options.sha256) +
                             " as given by --sha256; nothing was sent",
                         *hex);
    }
    return kExitOk;
}

// The printers by name, but only the first few of a fleet: the count says the rest.
constexpr std::size_t kPrintersConfirmedByName = 5;

bool Confirm(const CliOptions& options, CliPlatform& platform) {
    std::ostream& err = platform.err;
    const std::size_t count = options.printers.size();
    err << kConfirmUpgradeText << "\n\n"
        << (count == 1 ? std::string("1 printer:") : std::to_string(count) + " printers:") << '\n';
    for (std::size_t i = 0; i < count && i < kPrintersConfirmedByName; ++i) {
        err << "  " << options.printers[i] << '\n';
    }
    if (count > kPrintersConfirmedByName) {
        err << "  ... and " << count - kPrintersConfirmedByName << " more\n";
    }
    err << "Continue? [y/N] ";
    err.flush();
    std::string answer;
    if (!std::getline(platform.in, answer)) {
        err << '\n';
        return false;
    }
    return IsYes(answer);
}

// kExitOk once the upgrade may go ahead: --yes, or a yes on the terminal.
int ConfirmOrRefuse(const CliOptions& options, CliPlatform& platform) {
    if (options.yes) {
        return kExitOk;
    }
    if (!platform.inIsTerminal) {
        return StopBeforeSending(
            options, platform, "NotConfirmed",
            "not confirmed: standard input is not a terminal, so nothing was sent; give "
            "--yes to confirm without a terminal",
            kExitNotConfirmed);
    }
    if (!Confirm(options, platform)) {
        return StopBeforeSending(options, platform, "NotConfirmed",
                                 "not confirmed: nothing was sent", kExitNotConfirmed);
    }
    return kExitOk;
}

// The file whole in *bytes, or the file error.
int ReadOnce(const CliOptions& options, CliPlatform& platform, ReadableFile& file,
             UpgradeBytes* bytes) {
    try {
        if (!ReadUpgradeFile(file, bytes)) {
            return FileError(options, platform, kFileTooLargeText);
        }
    } catch (const FileException& e) {
        return FileError(options, platform, FileErrorText(e.Cause()));
    } catch (const std::bad_alloc&) {
        return FileError(options, platform, kOutOfMemoryText);
    }
    return kExitOk;
}

RawJobResult Submit(const CliOptions& options, CliPlatform& platform, FleetOutput& output,
                    const std::string& printer, const UpgradeBytes& bytes) {
    CliNotices notices(output, printer, options.debug);
    // One line cannot show several uploads' bytes: side by side, the run's line counts them.
    const bool showProgress =
        platform.progress != nullptr && platform.errIsTerminal && !options.json &&
        bytes.length >= kProgressThreshold &&
        !SendsSideBySide(options.window, options.printers.size(), platform.threads);
    if (!showProgress) {
        return SubmitUpgrade(platform.spooler, printer, bytes, &notices);
    }
    // The bytes' own progress line takes the run's place while they go out.
    output.Hide();
    ProgressLine line(platform.err, printer);
    platform.progress->SetWriteProgress(&line);
    const RawJobResult result = SubmitUpgrade(platform.spooler, printer, bytes, &notices);
    platform.progress->SetWriteProgress(nullptr);
    line.Finish();
    return result;
}

// The printers of the run, submitted and followed through the window of jobs in flight.
class UpgradeItems final : public WindowItems {
  public:
    UpgradeItems(const CliOptions& options, CliPlatform& platform, const UpgradeBytes& bytes,
                 const std::optional<std::string>& sha256, FleetOutput& output,
                 const UpgradeTargets& targets)
        : m_options(options),
          m_platform(platform),
          m_bytes(bytes),
          m_sha256(sha256),
          m_output(output),
          m_targets(targets),
          m_serverNote(platform.server) {}

    std::size_t Count() const override { return m_targets.printers.size(); }
    const std::string& Printer(std::size_t i) const override { return m_targets.printers[i]; }

    Submitted Submit(std::size_t i) override {
        const std::string& printer = m_targets.printers[i];
        Submitted submitted;
        submitted.result = tessaline::Submit(m_options, m_platform, m_output, printer, m_bytes);
        submitted.exitCode = JobExitCode(submitted.result, m_bytes.length);
        submitted.note = m_serverNote.JobNote(m_platform.notes, printer, submitted.result);
        submitted.answerLost =
            m_platform.notes != nullptr && m_platform.notes->TakeAnswerLost(printer);
        if (!m_options.json) {
            // Named as the window's box names it; never suppressed, since no box came before.
            const std::optional<UpgradeMessage> message =
                OutcomeMessage(submitted.result, m_bytes.length, false);
            if (submitted.exitCode == kExitOk) {
                m_output.Out(printer + ": " + message->text);
            } else {
                m_output.Err(printer + ": " + message->caption + ": " + message->text);
            }
            if (!submitted.note.empty()) {
                m_output.Err(printer + ": " + submitted.note);
            }
        } else if (!submitted.note.empty()) {
            m_output.Err(printer + ": " + submitted.note);
        }
        return submitted;
    }

    void OnEnded(std::size_t i, const WindowOutcome& outcome) override {
        const std::string& printer = m_targets.printers[i];
        const Verification* verification = m_targets.after ? m_targets.after->Of(i) : nullptr;
        if (m_options.json) {
            JobReport report = WindowReport(printer, outcome, m_bytes.length);
            report.sha256Given = m_options.sha256.has_value();
            report.sha256 = m_sha256;
            AddVersions(i, verification, &report);
            m_output.Out(JobReportJson(report));
            return;
        }
        TellFollowed(printer, outcome);
        if (verification != nullptr && verification->Outcome() != VerifyOutcome::Asking) {
            const std::string line = VerifiedLine(printer, *verification, m_targets.before[i]);
            (outcome.exitCode == kExitOk ? m_output.Out(line) : m_output.Err(line));
        }
    }

    void OnCounts(const WindowCounts& counts) override { m_output.OnCounts(counts); }

    bool BeginAfterJob(std::size_t i, std::uint64_t nowMs) override {
        if (m_targets.after == nullptr) {
            return false;
        }
        m_targets.after->Begin(i, m_targets.printers[i], m_targets.before[i], nowMs);
        return true;
    }

    std::vector<std::pair<std::size_t, int>> CheckAfterJob(std::uint64_t nowMs) override {
        return m_targets.after ? m_targets.after->AskDue(nowMs)
                               : std::vector<std::pair<std::size_t, int>>{};
    }

  private:
    void AddVersions(std::size_t i, const Verification* verification, JobReport* report) const {
        if (m_targets.before.empty()) {
            return;
        }
        report->versionChecked = true;
        report->component = m_targets.before[i].component;
        report->versionBefore = m_targets.before[i].version;
        if (verification != nullptr && verification->Outcome() != VerifyOutcome::Asking) {
            report->stage = verification->Outcome() == VerifyOutcome::Verified ? kVerifiedStage
                                                                               : kNotVerifiedStage;
            report->message = verification->Message();
            report->versionAfter = verification->After();
        }
    }

    void TellFollowed(const std::string& printer, const WindowOutcome& outcome) {
        if (!outcome.started) {
            m_output.Err(printer + ": not started: the run stopped before it");
        } else if (m_options.window.waitSeconds && outcome.submitted.exitCode == kExitOk) {
            const FollowedJob job{printer, outcome.submitted.result.jobId, outcome.status.state};
            std::string text = WaitOutcomeText(job, *m_options.window.waitSeconds);
            if (outcome.status.state != JobState::Completed && !outcome.status.message.empty()) {
                text += ": " + outcome.status.message;
            }
            // Its code may be a verification's: the job's own end decides the stream.
            const bool completed = outcome.followed && outcome.status.state == JobState::Completed;
            (completed ? m_output.Out(text) : m_output.Err(text));
        }
    }

    const CliOptions& m_options;
    CliPlatform& m_platform;
    const UpgradeBytes& m_bytes;
    const std::optional<std::string>& m_sha256;
    FleetOutput& m_output;
    const UpgradeTargets& m_targets;
    ServerNote m_serverNote;
};

// The printers the check keeps from the upgrade end before any is sent the file; the rest are
// the targets. Returns the highest code of those kept.
int EndNotSent(const CliOptions& options, const ChecksBefore& before, std::uint32_t length,
               const std::optional<std::string>& sha256, FleetOutput& output,
               UpgradeTargets* targets) {
    std::vector<int> codes;
    for (std::size_t i = 0; i < options.printers.size(); ++i) {
        const VersionCheck& check = before.checks[i];
        if (check.verdict == BeforeUpgrade::Send) {
            targets->printers.push_back(options.printers[i]);
            targets->before.push_back(check);
            continue;
        }
        codes.push_back(VersionCheckExitCode(check.verdict));
        if (!options.json) {
            const std::string line = NotSentLine(options.printers[i], check);
            (codes.back() == kExitOk ? output.Out(line) : output.Err(line));
            continue;
        }
        JobReport report;
        report.printer = options.printers[i];
        report.stage = codes.back() == kExitOk ? kAlreadyCurrentStage : kNotVerifiableStage;
        report.size = length;
        report.sha256Given = options.sha256.has_value();
        report.sha256 = sha256;
        report.message = check.message;
        report.versionChecked = true;
        report.component = check.component;
        report.versionBefore = check.version;
        output.Out(JobReportJson(report));
    }
    return RunExitCode(codes, false);
}

// The file to every printer, through the window; with --expect-version only to those the
// check before the upgrade lets through, each asked again after its job.
int SendAll(const CliOptions& options, CliPlatform& platform, const UpgradeBytes& bytes,
            const std::optional<std::string>& sha256) {
    if (platform.formats != nullptr) {
        platform.formats->UseDocumentFormat(options.format.value_or(kUpgradeDocumentFormat));
    }
    FleetOutput output(platform, options.printers.size() > 1, options.expectVersion.has_value());
    UpgradeTargets targets;
    ChecksBefore before;
    std::optional<ChecksAfterJob> after;
    int notSentCode = kExitOk;
    if (!options.expectVersion) {
        targets.printers = options.printers;
    } else {
        before = CheckBeforeUpgrade(options, platform);
        if (before.asked < options.printers.size()) {
            return StopBeforeSending(options, platform, kNotStartedStage,
                                     "interrupted before any printer was sent the file",
                                     kExitInterrupted, sha256);
        }
        notSentCode = EndNotSent(options, before, bytes.length, sha256, output, &targets);
        after.emplace(*platform.facts, *options.expectVersion,
                      options.verifySeconds.value_or(kDefaultVerifySeconds) * 1000, platform.stop,
                      platform.threads);
        targets.after = &*after;
    }
    UpgradeItems items(options, platform, bytes, sha256, output, targets);
    const WindowRun run = RunJobWindow(items, options.window, platform.jobs, platform.clock,
                                       platform.stop, platform.threads);
    output.Finish();
    if (!options.json && options.printers.size() > 1) {
        PrintUpgradeSummary(options, platform, run, targets, before, bytes.length);
    }
    return RunExitCode({run.exitCode, notSentCode}, run.interrupted);
}

}  // namespace

bool IsYes(const std::string& answer) {
    std::string word;
    for (const char c : answer) {
        if (!std::isspace(static_cast<unsigned char>(c))) {
            word += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        } else if (!word.empty()) {
            // A blank inside the answer ("y es") makes it no single word: not a yes.
            word += ' ';
        }
    }
    while (!word.empty() && word.back() == ' ') {
        word.pop_back();
    }
    return word == "y" || word == "yes";
}

int RunUpgrade(const CliOptions& options, CliPlatform& platform) {
    if (options.expectVersion && platform.facts == nullptr) {
        return UsageError(platform.err, kFactsNotAskedHereText);
    }
    OpenedUpgradeFile opened;
    try {
        opened = OpenUpgradeFile(platform.files, options.file);
    } catch (const FileException& e) {
        return FileError(options, platform, FileErrorText(e.Cause()));
    }
    if (opened.status != UpgradeFileStatus::Opened) {
        return FileError(options, platform, FileStatusMessage(opened.status).text);
    }

    if (const int code = ConfirmOrRefuse(options, platform); code != kExitOk) {
        return code;
    }
    // Read once for every printer; the file stays open, unshared, until all are done.
    UpgradeBytes bytes;
    if (const int code = ReadOnce(options, platform, *opened.file, &bytes); code != kExitOk) {
        return code;
    }
    std::optional<std::string> sha256;
    if (const int code = CheckSha256(options, platform, bytes, &sha256); code != kExitOk) {
        return code;
    }

    return SendAll(options, platform, bytes, sha256);
}

}  // namespace tessaline
