#include "cli/fleet/cli_fleet_output.h"

#include <ostream>

#include "cli/fleet/cli_progress.h"

namespace tessaline {

std::string CountsText(const WindowCounts& counts, bool verifying) {
    return std::to_string(counts.done) + "/" + std::to_string(counts.total) + " done, " +
           std::to_string(counts.failed) + " failed, " + std::to_string(counts.inFlight) +
           " in flight" +
           (verifying ? ", " + std::to_string(counts.checking) + " verifying" : std::string());
}

JobReport WindowReport(const std::string& printer, const WindowOutcome& outcome,
                       std::uint32_t size) {
    JobReport report;
    report.printer = printer;
    report.size = size;
    if (!outcome.started) {
        report.stage = kNotStartedStage;
        return report;
    }
    const RawJobResult& result = outcome.submitted.result;
    report.stage = StageName(result.stage);
    report.written = result.written;
    report.datatype = result.datatype;
    report.jobId = result.jobId;
    if (outcome.followed) {
        report.status = outcome.status;
    }
    const std::string& note = outcome.submitted.note;
    if (outcome.interrupted) {
        report.message = "interrupted: " + (note.empty() ? "the job was cancelled" : note);
    } else {
        report.message = !note.empty() ? note : outcome.status.message;
    }
    report.milliseconds = outcome.milliseconds;
    return report;
}

FleetOutput::FleetOutput(CliPlatform& platform, bool progressLine, bool verifying)
    : m_platform(platform),
      m_progressLine(progressLine && platform.errIsTerminal),
      m_verifying(verifying) {}

void FleetOutput::OnCounts(const WindowCounts& counts) {
    const std::lock_guard<std::mutex> lock(m_mutex);
    if (!m_progressLine) {
        return;
    }
    m_current = CountsText(counts, m_verifying);
    if (m_current != m_shown) {
        Wipe();
        Draw();
    }
}

void FleetOutput::Print(std::ostream& stream, const std::string& line) {
    const std::lock_guard<std::mutex> lock(m_mutex);
    Wipe();
    stream << line << '\n';
    stream.flush();
    Draw();
}

void FleetOutput::Wipe() {
    if (!m_shown.empty()) {
        m_platform.err << WipeText(m_shown.size());
        m_platform.err.flush();
        m_shown.clear();
    }
}

void FleetOutput::Draw() {
    if (m_progressLine && !m_current.empty()) {
        m_platform.err << m_current;
        m_platform.err.flush();
        m_shown = m_current;
    }
}

void FleetOutput::Finish() {
    const std::lock_guard<std::mutex> lock(m_mutex);
    Wipe();
    m_progressLine = false;
}

}  // namespace tessaline
