#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tessaline {

// Where a submitted job stands in the spooler.
enum class JobState {
    Pending,    // queued or held, not yet printing
    Printing,   // being sent to the device
    Completed,  // the spooler reports it printed
    Aborted,    // the spooler or the device gave up on it
    Cancelled,  // someone cancelled it
    Stopped,    // the queue stopped it
    Unknown,    // the spooler cannot tell (it keeps no record, or lost the job)
};

// A job's state with the spooler's or printer's own words for it (job-state-reasons and
// job-state-message, where the spooler has them).
struct JobStatus {
    JobState state = JobState::Unknown;
    std::vector<std::string> reasons;
    std::string message;
};

// Follows jobs by the id the spooler gave them when their document started. Never throws;
// anything the spooler cannot answer is Unknown, never Completed.
class JobMonitor {
  public:
    virtual ~JobMonitor() = default;
    virtual JobState State(const std::string& printer, std::uint32_t jobId) = 0;
    // The state with its reasons and message; by default the state alone.
    virtual JobStatus Status(const std::string& printer, std::uint32_t jobId) {
        JobStatus status;
        status.state = State(printer, jobId);
        return status;
    }
};

}  // namespace tessaline
