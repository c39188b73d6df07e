#pragma once

#include <cstdint>
#include <string>

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

// Follows jobs by the id the spooler gave them when their document started. Never throws;
// anything the spooler cannot answer is Unknown, never Completed.
class JobMonitor {
  public:
    virtual ~JobMonitor() = default;
    virtual JobState State(const std::string& printer, std::uint32_t jobId) = 0;
};

}  // namespace tessaline
