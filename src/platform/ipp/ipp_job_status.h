#pragma once

#include <string>

#include <cups/cups.h>

#include "platform/job_monitor.h"

namespace tessaline {

// The JobState for an IPP job-state value (3 pending to 9 completed).
JobState JobStateFromIpp(int ippJobState);

// What a Get-Job-Attributes response says (null, or one that is not successful: Unknown).
// "none" is no reason.
JobStatus JobStatusOfResponse(ipp_t* response);

// Asks the IPP server behind http for one job's job-state, job-state-reasons and
// job-state-message (Get-Job-Attributes at printerUri). Whatever cannot be asked or read is
// Unknown.
JobStatus AskJobStatus(http_t* http, const std::string& printerUri, const std::string& resource,
                       int jobId);

}  // namespace tessaline
