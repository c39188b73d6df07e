#include "cli/cli_forms.h"

#include <ostream>
#include <vector>

#include "cli/fleet/cli_fleet_output.h"
#include "cli/fleet/cli_job_window.h"
#include "cli/cli_report.h"
#include "cli/cli_server_note.h"
#include "cli/cli_usage.h"
#include "jobs/form_test.h"

namespace tessaline {
namespace {

// Each job is followed and reported: a run keeps a small record of every one.
constexpr std::uint64_t kMostFormJobs = 1000000;

// Stands where the window stands for one form test: it names the printer and hears the job's
// outcome, which the window ignores.
class CliFormHost : public FormTestHost {
  public:
    explicit CliFormHost(const std::string& printer) : m_printer(printer) {}

    PrinterName SelectedPrinter() override { return m_printer; }
    void TakeFields() override {}
    void OnFormResult(std::int32_t /*form*/, const RawJobResult& result,
                      std::uint32_t length) override {
        m_result = result;
        m_length = length;
    }

    const RawJobResult& Result() const { return m_result; }
    std::uint32_t Length() const { return m_length; }

  private:
    const std::string& m_printer;
    RawJobResult m_result;
    std::uint32_t m_length = 0;
};

// One item per printer and form, printer by printer, each printer's forms ascending.
class FormItems final : public WindowItems {
  public:
    FormItems(const CliOptions& options, CliPlatform& platform, FormRange range,
              FleetOutput& output)
        : m_options(options),
          m_platform(platform),
          m_range(range),
          m_forms(
              static_cast<std::size_t>(static_cast<std::int64_t>(range.last) - range.first + 1)),
          m_output(output),
          m_serverNote(platform.server) {}

    std::size_t Count() const override { return m_options.printers.size() * m_forms; }
    const std::string& Printer(std::size_t i) const override {
        return m_options.printers[i / m_forms];
    }
    std::size_t FailureGroup(std::size_t i) const override { return i / m_forms; }

    Submitted Submit(std::size_t i) override {
        const std::string& printer = Printer(i);
        CliFormHost host(printer);
        SendFormTest(FormTestContext{m_platform.spooler, m_platform.profile, host}, Form(i));
        Submitted submitted;
        submitted.result = host.Result();
        submitted.length = host.Length();
        submitted.exitCode = JobExitCode(submitted.result, host.Length());
        submitted.note = m_serverNote.JobNote(m_platform.notes, printer, submitted.result);
        const std::string prefix = printer + ": form " + std::to_string(Form(i)) + ": ";
        if (m_options.json) {
            if (!submitted.note.empty()) {
                m_output.Err(prefix + submitted.note);
            }
        } else if (submitted.exitCode != kExitOk) {
            m_output.Err(prefix + StageWords(submitted.result, host.Length()) +
                         (submitted.note.empty() ? "" : ": " + submitted.note));
        }
        return submitted;
    }

    void OnEnded(std::size_t i, const WindowOutcome& outcome) override {
        if (m_options.json) {
            JobReport report = WindowReport(Printer(i), outcome, outcome.submitted.length);
            report.form = Form(i);
            if (!outcome.started) {
                report.size.reset();
            }
            m_output.Out(JobReportJson(report));
        }
    }

    void OnCounts(const WindowCounts& counts) override { m_output.OnCounts(counts); }

    // Each printer's count of complete jobs, in the order given.
    void PrintCounts(const WindowRun& run) {
        for (std::size_t p = 0; p < m_options.printers.size(); ++p) {
            std::size_t started = 0;
            std::size_t complete = 0;
            for (std::size_t f = 0; f < m_forms; ++f) {
                const WindowOutcome& outcome = run.outcomes[p * m_forms + f];
                started += outcome.started ? 1 : 0;
                complete += outcome.started && outcome.submitted.exitCode == kExitOk ? 1 : 0;
            }
            std::string line = m_options.printers[p] + ": forms " + std::to_string(m_range.first) +
                               " to " + std::to_string(m_range.last) + ": " +
                               std::to_string(complete) + " of " + std::to_string(started) +
                               " jobs complete";
            if (started < m_forms) {
                line += ", " + std::to_string(m_forms - started) + " not started";
            }
            m_output.Out(line);
        }
    }

  private:
    std::int32_t Form(std::size_t i) const {
        return static_cast<std::int32_t>(m_range.first + static_cast<std::int64_t>(i % m_forms));
    }

    const CliOptions& m_options;
    CliPlatform& m_platform;
    FormRange m_range;
    std::size_t m_forms;
    FleetOutput& m_output;
    ServerNote m_serverNote;
};

}  // namespace

int RunForms(const CliOptions& options, CliPlatform& platform) {
    const FormRange range = ParseFormRange(options.range);
    const std::uint64_t jobs =
        static_cast<std::uint64_t>(static_cast<std::int64_t>(range.last) - range.first + 1) *
        options.printers.size();
    if (jobs > kMostFormJobs) {
        return UsageError(platform.err, "forms " + options.range + " to " +
                                            std::to_string(options.printers.size()) +
                                            " printer(s) makes " + std::to_string(jobs) +
                                            " jobs, more than " + std::to_string(kMostFormJobs) +
                                            " in one run; nothing was sent");
    }
    if (platform.formats != nullptr) {
        platform.formats->UseDocumentFormat(kFormsDocumentFormat);
    }
    FleetOutput output(platform, options.printers.size() > 1);
    FormItems items(options, platform, range, output);
    const WindowRun run =
        RunJobWindow(items, options.window, platform.jobs, platform.clock, platform.stop);
    output.Finish();
    if (!options.json) {
        items.PrintCounts(run);
    }
    return run.exitCode;
}

}  // namespace tessaline
