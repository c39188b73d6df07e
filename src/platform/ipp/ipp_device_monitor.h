#pragma once

#include <memory>

#include "platform/ipp/ipp_link.h"
#include "platform/job_monitor.h"

namespace tessaline {

// Follows jobs on printers reached by their address, asking each printer itself. A printer
// that cannot be asked (gone, or no TLS where --encrypt wants it) gives Unknown.
class IppDeviceMonitor final : public JobMonitor {
  public:
    // Over libcups; ends, when not null, is told as each connection closes.
    explicit IppDeviceMonitor(ConnectionEnds* ends = nullptr);
    // Over links, which must outlive it.
    explicit IppDeviceMonitor(IppLinks& links);
    ~IppDeviceMonitor() override;

    JobState State(const std::string& printer, std::uint32_t jobId) override;
    JobStatus Status(const std::string& printer, std::uint32_t jobId) override;

  private:
    std::unique_ptr<IppLinks> m_ownLinks;
    IppLinks& m_links;
};

}  // namespace tessaline
