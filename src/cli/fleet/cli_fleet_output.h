#pragma once

#include <cstdint>
#include <mutex>
#include <string>

#include "cli/fleet/cli_job_window.h"
#include "cli/cli_platform.h"
#include "cli/cli_report.h"

namespace tessaline {

// The words of the terminal's progress line: "k/N done, F failed, M in flight", and with
// verifying ", V verifying".
std::string CountsText(const WindowCounts& counts, bool verifying = false);

// What --json says of one item of a run: its printer, stage, counts, state and time.
JobReport WindowReport(const std::string& printer, const WindowOutcome& outcome,
                       std::uint32_t size);

// The output of a run over several printers. On a terminal, standard error carries a progress
// line, wiped before every other line and drawn again after it. Lines may come from several
// threads at once.
class FleetOutput {
  public:
    FleetOutput(CliPlatform& platform, bool progressLine, bool verifying = false);
    FleetOutput(const FleetOutput&) = delete;
    FleetOutput& operator=(const FleetOutput&) = delete;
    ~FleetOutput() { Finish(); }

    void OnCounts(const WindowCounts& counts);
    void Out(const std::string& line) { Print(m_platform.out, line); }
    void Err(const std::string& line) { Print(m_platform.err, line); }
    // Wipes the progress line until the next line or count.
    void Hide() {
        const std::lock_guard<std::mutex> lock(m_mutex);
        Wipe();
    }
    // Wipes the progress line for good.
    void Finish();

  private:
    void Print(std::ostream& stream, const std::string& line);
    void Wipe();
    void Draw();

    std::mutex m_mutex;
    CliPlatform& m_platform;
    bool m_progressLine;
    bool m_verifying;
    std::string m_shown;
    std::string m_current;
};

}  // namespace tessaline
