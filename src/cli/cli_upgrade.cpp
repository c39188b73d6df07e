#include "cli/cli_upgrade.h"

#include <algorithm>
#include <cctype>
#include <istream>
#include <new>
#include <ostream>
#include <vector>

#include "cli/cli_progress.h"
#include "cli/cli_report.h"
#include "cli/cli_server_note.h"
#include "cli/cli_sha256.h"
#include "cli/cli_wait.h"
#include "framework/handler_guard.h"
#include "jobs/flash_upgrade.h"

namespace tessaline {
namespace {

// Prints the datatype notices as they happen, with the captions of the window's boxes.
class CliNotices : public NoticeReceiver {
  public:
    CliNotices(std::ostream& err, const std::string& printer, bool on)
        : m_err(err), m_printer(printer), m_on(on) {}

    void OnNotice(Notice notice) override {
        if (!m_on) {
            return;
        }
        const UpgradeMessage message = NoticeMessage(notice);
        m_err << m_printer << ": " << message.caption << ": " << message.text << '\n';
        m_err.flush();
    }

  private:
    std::ostream& m_err;
    const std::string& m_printer;
    bool m_on;
};

struct PrinterOutcome {
    RawJobResult result;
    int exitCode = kExitOk;
    bool followed = false;
    JobState state = JobState::Unknown;
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
            report.waited = options.waitSeconds.has_value();
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

bool Confirm(const CliOptions& options, CliPlatform& platform) {
    std::ostream& err = platform.err;
    err << kConfirmUpgradeText << "\n\nPrinters:\n";
    for (const std::string& printer : options.printers) {
        err << "  " << printer << '\n';
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

RawJobResult Submit(const CliOptions& options, CliPlatform& platform, const std::string& printer,
                    const UpgradeBytes& bytes) {
    CliNotices notices(platform.err, printer, options.debug);
    const bool showProgress = platform.progress != nullptr && platform.errIsTerminal &&
                              !options.json && bytes.length >= kProgressThreshold;
    if (!showProgress) {
        return SubmitUpgrade(platform.spooler, printer, bytes, &notices);
    }
    ProgressLine line(platform.err, printer);
    platform.progress->SetWriteProgress(&line);
    const RawJobResult result = SubmitUpgrade(platform.spooler, printer, bytes, &notices);
    platform.progress->SetWriteProgress(nullptr);
    line.Finish();
    return result;
}

void ReportPrinter(CliPlatform& platform, const std::string& printer, const RawJobResult& result,
                   std::uint32_t length) {
    // Named as the window's box names it; never suppressed here, since no box came before.
    const std::optional<UpgradeMessage> message = OutcomeMessage(result, length, false);
    if (result.IsComplete(length)) {
        platform.out << printer << ": " << message->text << '\n';
    } else {
        platform.err << printer << ": " << message->caption << ": " << message->text << '\n';
    }
}

void TellWhyNotOpened(CliPlatform& platform, ServerNote& note, const std::string& printer,
                      const RawJobResult& result) {
    const std::string& why = note.For(result);
    if (!why.empty()) {
        platform.err << printer << ": " << why << '\n';
    }
}

void PrintJson(const CliOptions& options, CliPlatform& platform, const std::string& printer,
               const PrinterOutcome& outcome, std::uint32_t length,
               const std::optional<std::string>& sha256) {
    JobReport report;
    report.printer = printer;
    report.stage = StageName(outcome.result.stage);
    report.size = length;
    report.sha256Given = options.sha256.has_value();
    report.sha256 = sha256;
    report.written = outcome.result.written;
    report.datatype = outcome.result.datatype;
    report.jobId = outcome.result.jobId;
    report.waited = options.waitSeconds.has_value();
    if (outcome.followed) {
        report.state = outcome.state;
    }
    platform.out << JobReportJson(report) << '\n';
    platform.out.flush();
}

std::string Pad(const std::string& text, std::size_t width) {
    return text.size() < width ? text + std::string(width - text.size(), ' ') : text;
}

void PrintSummary(const CliOptions& options, CliPlatform& platform,
                  const std::vector<PrinterOutcome>& outcomes, std::uint32_t length) {
    std::vector<std::vector<std::string>> rows;
    rows.push_back({"PRINTER", "STAGE", "WRITTEN", "JOB"});
    if (options.waitSeconds) {
        rows.back().push_back("STATE");
    }
    rows.back().push_back("EXIT");
    for (std::size_t i = 0; i < outcomes.size(); ++i) {
        const PrinterOutcome& o = outcomes[i];
        std::vector<std::string> row = {
            options.printers[i], StageName(o.result.stage),
            std::to_string(o.result.written) + "/" + std::to_string(length),
            o.result.jobId != 0 ? std::to_string(o.result.jobId) : "-"};
        if (options.waitSeconds) {
            row.push_back(o.followed ? JobStateName(o.state) : "-");
        }
        row.push_back(std::to_string(o.exitCode));
        rows.push_back(row);
    }
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
    OpenedUpgradeFile opened;
    try {
        opened = OpenUpgradeFile(platform.files, options.file);
    } catch (const FileException& e) {
        return FileError(options, platform, FileErrorText(e.Cause()));
    }
    if (opened.status != UpgradeFileStatus::Opened) {
        return FileError(options, platform, FileStatusMessage(opened.status).text);
    }

    if (!options.yes) {
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
    }

    // Read once for every printer; the file stays open, unshared, until all are done.
    UpgradeBytes bytes;
    try {
        if (!ReadUpgradeFile(*opened.file, &bytes)) {
            return FileError(options, platform, kFileTooLargeText);
        }
    } catch (const FileException& e) {
        return FileError(options, platform, FileErrorText(e.Cause()));
    } catch (const std::bad_alloc&) {
        return FileError(options, platform, "Out of memory.");
    }

    std::optional<std::string> sha256;
    if (const int code = CheckSha256(options, platform, bytes, &sha256); code != kExitOk) {
        return code;
    }

    std::vector<PrinterOutcome> outcomes;
    ServerNote serverNote(platform.server);
    for (const std::string& printer : options.printers) {
        PrinterOutcome outcome;
        outcome.result = Submit(options, platform, printer, bytes);
        outcome.exitCode = JobExitCode(outcome.result, bytes.length);
        if (!options.json) {
            ReportPrinter(platform, printer, outcome.result, bytes.length);
        } else if (!options.waitSeconds) {
            PrintJson(options, platform, printer, outcome, bytes.length, sha256);
        }
        TellWhyNotOpened(platform, serverNote, printer, outcome.result);
        outcomes.push_back(outcome);
    }

    if (options.waitSeconds) {
        std::vector<FollowedJob> jobs;
        for (std::size_t i = 0; i < outcomes.size(); ++i) {
            if (outcomes[i].exitCode == kExitOk) {
                jobs.push_back({options.printers[i], outcomes[i].result.jobId, JobState::Pending});
            }
        }
        WaitForJobs(platform.jobs, platform.clock, jobs, *options.waitSeconds);
        std::size_t next = 0;
        for (PrinterOutcome& outcome : outcomes) {
            if (outcome.exitCode != kExitOk) {
                continue;
            }
            const FollowedJob& job = jobs[next++];
            outcome.followed = true;
            outcome.state = job.state;
            outcome.exitCode = WaitExitCode(job.state);
            if (!options.json) {
                (job.state == JobState::Completed ? platform.out : platform.err)
                    << WaitOutcomeText(job, *options.waitSeconds) << '\n';
            }
        }
    }

    int exitCode = kExitOk;
    for (std::size_t i = 0; i < outcomes.size(); ++i) {
        exitCode = CombinedExitCode(exitCode, outcomes[i].exitCode);
        if (options.json && options.waitSeconds) {
            PrintJson(options, platform, options.printers[i], outcomes[i], bytes.length, sha256);
        }
    }
    if (!options.json && outcomes.size() > 1) {
        PrintSummary(options, platform, outcomes, bytes.length);
    }
    return exitCode;
}

}  // namespace tessaline
