#include "platform/ipp/ipp_job_status.h"

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

JobStatus JobStatusOfResponse(ipp_t* response) {
    JobStatus status;
    if (response == nullptr || ippGetStatusCode(response) > IPP_STATUS_OK_CONFLICTING) {
        return status;
    }
    if (ipp_attribute_t* state = ippFindAttribute(response, "job-state", IPP_TAG_ENUM)) {
        status.state = JobStateFromIpp(ippGetInteger(state, 0));
    }
    if (ipp_attribute_t* reasons =
            ippFindAttribute(response, "job-state-reasons", IPP_TAG_KEYWORD)) {
        for (int i = 0; i < ippGetCount(reasons); ++i) {
            const char* reason = ippGetString(reasons, i, nullptr);
            if (reason != nullptr && std::string(reason) != "none") {
                status.reasons.emplace_back(reason);
            }
        }
    }
    if (ipp_attribute_t* message = ippFindAttribute(response, "job-state-message", IPP_TAG_TEXT)) {
        const char* text = ippGetString(message, 0, nullptr);
        status.message = text != nullptr ? text : "";
    }
    return status;
}

JobStatus AskJobStatus(http_t* http, const std::string& printerUri, const std::string& resource,
                       int jobId) {
    JobStatus status;
    if (http == nullptr || jobId <= 0) {
        return status;
    }
    static const char* const kWanted[] = {"job-state", "job-state-reasons", "job-state-message"};
    ipp_t* request = ippNewRequest(IPP_OP_GET_JOB_ATTRIBUTES);
    ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_URI, "printer-uri", nullptr,
                 printerUri.c_str());
    ippAddInteger(request, IPP_TAG_OPERATION, IPP_TAG_INTEGER, "job-id", jobId);
    ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_NAME, "requesting-user-name", nullptr,
                 cupsUser());
    ippAddStrings(request, IPP_TAG_OPERATION, IPP_TAG_KEYWORD, "requested-attributes", 3, nullptr,
                  kWanted);
    // cupsDoRequest frees the request; the response is ours.
    ipp_t* response = cupsDoRequest(http, request, resource.c_str());
    status = JobStatusOfResponse(response);
    ippDelete(response);
    return status;
}

}  // namespace tessaline
