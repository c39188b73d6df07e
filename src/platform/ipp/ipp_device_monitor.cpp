#include "platform/ipp/ipp_device_monitor.h"

#include <climits>

#include "platform/ipp/ipp_device_connection.h"
#include "platform/ipp/ipp_job_status.h"

namespace tessaline {

JobState IppDeviceMonitor::State(const std::string& printer, std::uint32_t jobId) {
    return Status(printer, jobId).state;
}

JobStatus IppDeviceMonitor::Status(const std::string& printer, std::uint32_t jobId) {
    if (jobId == 0 || jobId > static_cast<std::uint32_t>(INT_MAX)) {
        return JobStatus();
    }
    const IppDeviceConnection connection(printer);
    if (connection.Http() == nullptr) {
        return JobStatus();
    }
    char resource[1024];
    char scheme[32], userpass[256], host[256];
    int port = 0;
    if (httpSeparateURI(HTTP_URI_CODING_ALL, printer.c_str(), scheme, sizeof scheme, userpass,
                        sizeof userpass, host, sizeof host, &port, resource,
                        sizeof resource) < HTTP_URI_STATUS_OK) {
        return JobStatus();
    }
    return AskJobStatus(connection.Http(), printer, resource, static_cast<int>(jobId));
}

}  // namespace tessaline
