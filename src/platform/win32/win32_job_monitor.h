#pragma once

#include "platform/job_monitor.h"

namespace tessaline {

// Jobs followed with GetJobA, level 1, on a printer opened afresh for every question. A job the
// spooler no longer lists (Windows drops a printed job unless the queue keeps them; Wine keeps
// none once the document has ended) is Unknown: its record is gone, so nothing says it printed.
class Win32JobMonitor final : public JobMonitor {
  public:
    JobState State(const std::string& printer, std::uint32_t jobId) override;
};

// The state a JOB_INFO_1 status word describes, most final condition first.
JobState JobStateFromWin32Status(std::uint32_t status);

}  // namespace tessaline
