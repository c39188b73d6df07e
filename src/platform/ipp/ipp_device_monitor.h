#pragma once

#include "platform/job_monitor.h"

namespace tessaline {

// Follows jobs on printers reached by their address, asking each printer itself. A printer
// that cannot be asked (gone, or no TLS where --encrypt wants it) gives Unknown.
class IppDeviceMonitor final : public JobMonitor {
  public:
    JobState State(const std::string& printer, std::uint32_t jobId) override;
    JobStatus Status(const std::string& printer, std::uint32_t jobId) override;
};

}  // namespace tessaline
