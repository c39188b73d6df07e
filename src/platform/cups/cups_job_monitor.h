#pragma once

#include "platform/job_monitor.h"
#include "platform/connection_ends.h"

namespace tessaline {

// Job states from the scheduler's own record of the job (IPP Get-Job-Attributes, job-state).
// A scheduler that keeps no history forgets a job once it ends; such a job, like one on a
// deleted queue or one the scheduler never had, is Unknown.
class CupsJobMonitor final : public JobMonitor {
  public:
    // ends, when not null, is told as each connection it made closes.
    explicit CupsJobMonitor(ConnectionEnds* ends = nullptr) : m_ends(ends) {}
    JobState State(const std::string& printer, std::uint32_t jobId) override;
    // With the scheduler's job-state-reasons and job-state-message.
    JobStatus Status(const std::string& printer, std::uint32_t jobId) override;

  private:
    ConnectionEnds* m_ends;
};

}  // namespace tessaline
