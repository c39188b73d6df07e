#include "platform/ipp/ipp_device_monitor.h"

#include <climits>

#include "platform/ipp/ipp_device_links.h"

namespace tessaline {

IppDeviceMonitor::IppDeviceMonitor(ConnectionEnds* ends)
    : m_ownLinks(std::make_unique<IppDeviceLinks>(ends)), m_links(*m_ownLinks) {}

IppDeviceMonitor::IppDeviceMonitor(IppLinks& links) : m_links(links) {}

IppDeviceMonitor::~IppDeviceMonitor() = default;

JobState IppDeviceMonitor::State(const std::string& printer, std::uint32_t jobId) {
    return Status(printer, jobId).state;
}

JobStatus IppDeviceMonitor::Status(const std::string& printer, std::uint32_t jobId) {
    if (jobId == 0 || jobId > static_cast<std::uint32_t>(INT_MAX)) {
        return JobStatus();
    }
    std::string problem;
    const std::unique_ptr<IppLink> link = m_links.Connect(printer, &problem);
    if (link == nullptr) {
        return JobStatus();
    }
    return link->JobAttributes(static_cast<int>(jobId));
}

}  // namespace tessaline
