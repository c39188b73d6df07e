#include "platform/cups/cups_job_monitor.h"

#include <climits>

#include "platform/cups/cups_connection.h"

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
JobState CupsJobMonitor::State(const std::string& /*printer*/, std::uint32_t jobId) {
    if (jobId == 0 || jobId > static_cast<std::uint32_t>(INT_MAX)) {
        return JobState::Unknown;
    }
    CupsConnection connection;
    if (connection.Get() == nullptr) {
        return JobState::Unknown;
    }
    ipp_t* request = ippNewRequest(IPP_OP_GET_JOB_ATTRIBUTES);
    ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_URI, "printer-uri", nullptr,
                 "ipp://localhost/");
    ippAddInteger(request, IPP_TAG_OPERATION, IPP_TAG_INTEGER, "job-id", static_cast<int>(jobId));
    ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_KEYWORD, "requested-attributes", nullptr,
                 "job-state");
    ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_NAME, "requesting-user-name", nullptr,
                 cupsUser());
    ipp_t* response = cupsDoRequest(connection.Get(), request, "/");
    JobState state = JobState::Unknown;
    if (response != nullptr && ippGetStatusCode(response) <= IPP_STATUS_OK_CONFLICTING) {
        ipp_attribute_t* attr = ippFindAttribute(response, "job-state", IPP_TAG_ENUM);
        if (attr != nullptr) {
            state = JobStateFromIpp(ippGetInteger(attr, 0));
        }
    }
    ippDelete(response);
    return state;
}

}  // namespace tessaline
