#include "platform/cups/cups_job_monitor.h"

#include <climits>

#include "platform/cups/cups_connection.h"
#include "platform/cups/ipp_job_status.h"

namespace tessaline {

JobState JobStateFromIpp(int ippJobState) {
    switch (ippJobState) {
        case IPP_JSTATE_PENDING:
        case IPP_JSTATE_HELD:
            return JobState::Pending;
        case IPP_JSTATE_PROCESSING:
            return JobState::Printing;
        case IPP_JSTATE_STOPPED:
            return JobState::Stopped;
        case IPP_JSTATE_CANCELED:
            return JobState::Cancelled;
        case IPP_JSTATE_ABORTED:
            return JobState::Aborted;
        case IPP_JSTATE_COMPLETED:
            return JobState::Completed;
        default:
            return JobState::Unknown;
    }
}

// A job id is the scheduler's own, whatever queue it is on; the printer name is not needed to
// find it (and the queue may be gone).
JobState CupsJobMonitor::State(const std::string& printer, std::uint32_t jobId) {
    return Status(printer, jobId).state;
}

JobStatus CupsJobMonitor::Status(const std::string& /*printer*/, std::uint32_t jobId) {
    if (jobId == 0 || jobId > static_cast<std::uint32_t>(INT_MAX)) {
        return JobStatus();
    }
    CupsConnection connection;
    return AskJobStatus(connection.Get(), "ipp://localhost/", "/", static_cast<int>(jobId));
}

}  // namespace tessaline
