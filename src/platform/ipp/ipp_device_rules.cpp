#include "platform/ipp/ipp_device_rules.h"

#include <strings.h>

namespace tessaline {

std::string PrinterAddressOfUri(const std::string& uri) {
    char scheme[32];
    char userpass[256];
    char host[256];
    char resource[1024];
    int port = 0;
    if (httpSeparateURI(HTTP_URI_CODING_ALL, uri.c_str(), scheme, sizeof scheme, userpass,
                        sizeof userpass, host, sizeof host, &port, resource,
                        sizeof resource) < HTTP_URI_STATUS_OK ||
        host[0] == '\0') {
        return uri;
    }
    const std::string name(host);
    // httpSeparateURI gives an IPv6 address without its brackets.
    const bool ipv6 = name.find(':') != std::string::npos;
    return (ipv6 ? "[" + name + "]" : name) + ":" + std::to_string(port);
}

bool FormatAccepted(const std::vector<std::string>& accepted, const std::string& format) {
    for (const std::string& one : accepted) {
        if (strcasecmp(one.c_str(), format.c_str()) == 0) {
            return true;
        }
    }
    return false;
}

std::string FormatRefusedNote(const std::string& format, const std::vector<std::string>& accepted) {
    std::string note = "the printer does not accept " + format;
    if (accepted.empty()) {
        return note + "; it names no format it accepts";
    }
    note += "; it accepts: ";
    for (std::size_t i = 0; i < accepted.size(); ++i) {
        note += (i == 0 ? "" : ", ") + accepted[i];
    }
    return note;
}

std::string UnreachableNote(const std::string& address) {
    return "the printer at " + address + " could not be reached";
}

const std::vector<std::uint32_t>& BusyRetryDelaysMs() {
    static const std::vector<std::uint32_t> delays{1000, 2000, 4000};
    return delays;
}

std::string StayedBusyNote() {
    std::uint32_t total = 0;
    for (const std::uint32_t delay : BusyRetryDelaysMs()) {
        total += delay;
    }
    return "the printer stayed busy: " + std::to_string(BusyRetryDelaysMs().size() + 1) +
           " tries over " + std::to_string(total / 1000) + " s";
}

ipp_status_t RetryWhileBusy(const std::function<ipp_status_t()>& attempt,
                            const std::function<void(std::uint32_t)>& sleepMs,
                            const std::function<bool()>& shouldStop) {
    ipp_status_t status = attempt();
    for (const std::uint32_t delay : BusyRetryDelaysMs()) {
        if (status != IPP_STATUS_ERROR_BUSY || shouldStop()) {
            break;
        }
        sleepMs(delay);
        status = attempt();
    }
    return status;
}

}  // namespace tessaline
