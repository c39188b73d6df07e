#include "platform/cups/cups_job_monitor.h"

#include <climits>

#include "platform/cups/cups_connection.h"
#include "platform/ipp/ipp_job_status.h"

namespace tessaline {

// A job id is the scheduler's own, whatever queue it is on; the printer name is not needed to
// find it (and the queue may be gone).
JobState CupsJobMonitor::State(const std::string& printer, std::uint32_t jobId) {
    return Status(printer, jobId).state;
}

JobStatus CupsJobMonitor::Status(const std::string& /*printer*/, std::uint32_t jobId) {
    if (jobId == 0 || jobId > static_cast<std::uint32_t>(INT_MAX)) {
        return JobStatus();
    }
    CupsConnection connection(m_ends);
    return AskJobStatus(connection.Get(), "ipp://localhost/", "/", static_cast<int>(jobId));
}

}  // namespace tessaline
