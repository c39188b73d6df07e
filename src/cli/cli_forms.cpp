#include "cli/cli_forms.h"

#include <ostream>

#include "cli/cli_report.h"
#include "cli/cli_server_note.h"
#include "jobs/form_test.h"

namespace tessaline {
namespace {

// Stands where the window stands for the form tests: it names the printer and hears each
// job's outcome, which the window ignores.
class CliFormHost : public FormTestHost {
  public:
    CliFormHost(CliPlatform& platform, ServerNote& serverNote, const std::string& printer,
                bool json)
        : m_platform(platform), m_serverNote(serverNote), m_printer(printer), m_json(json) {}

    PrinterName SelectedPrinter() override { return m_printer; }
    void TakeFields() override {}

    void OnFormResult(std::int32_t form, const RawJobResult& result,
                      std::uint32_t length) override {
        ++m_jobs;
        const int code = JobExitCode(result, length);
        m_exitCode = CombinedExitCode(m_exitCode, code);
        if (code == kExitOk) {
            ++m_complete;
        }
        const std::string& why = m_serverNote.For(result);
        if (m_json) {
            JobReport report;
            report.printer = m_printer;
            report.form = form;
            report.stage = StageName(result.stage);
            report.size = length;
            report.written = result.written;
            report.datatype = result.datatype;
            report.jobId = result.jobId;
            m_platform.out << JobReportJson(report) << '\n';
            m_platform.out.flush();
            if (!why.empty()) {
                m_platform.err << m_printer << ": form " << form << ": " << why << '\n';
            }
        } else if (code != kExitOk) {
            m_platform.err << m_printer << ": form " << form << ": " << StageWords(result, length)
                           << (why.empty() ? "" : ": " + why) << '\n';
        }
    }

    int ExitCode() const { return m_exitCode; }
    std::uint64_t Jobs() const { return m_jobs; }
    std::uint64_t Complete() const { return m_complete; }

  private:
    CliPlatform& m_platform;
    ServerNote& m_serverNote;
    const std::string& m_printer;
    bool m_json;
    int m_exitCode = kExitOk;
    std::uint64_t m_jobs = 0;
    std::uint64_t m_complete = 0;
};

}  // namespace

int RunForms(const CliOptions& options, CliPlatform& platform) {
    const FormRange range = ParseFormRange(options.range);
    int exitCode = kExitOk;
    ServerNote serverNote(platform.server);
    for (const std::string& printer : options.printers) {
        CliFormHost host(platform, serverNote, printer, options.json);
        PrintForms(FormTestContext{platform.spooler, platform.profile, host}, options.range);
        if (!options.json) {
            platform.out << printer << ": forms " << range.first << " to " << range.last << ": "
                         << host.Complete() << " of " << host.Jobs() << " jobs complete\n";
        }
        exitCode = CombinedExitCode(exitCode, host.ExitCode());
    }
    return exitCode;
}

}  // namespace tessaline
