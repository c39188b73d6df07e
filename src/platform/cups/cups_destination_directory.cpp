#include "platform/cups/cups_destination_directory.h"

#include <cups/cups.h>

#include "platform/cups/cups_connection.h"
#include "platform/cups/cups_queue.h"

namespace tessaline {

std::string PrinterStateName(const std::string& ippState) {
    if (ippState == "3") {
        return "idle";
    }
    if (ippState == "4") {
        return "processing";
    }
    if (ippState == "5") {
        return "stopped";
    }
    return std::string();
}

std::vector<std::string> SplitStateReasons(const std::string& reasons) {
    std::vector<std::string> split;
    std::string::size_type start = 0;
    while (start <= reasons.size()) {
        std::string::size_type end = reasons.find(',', start);
        if (end == std::string::npos) {
            end = reasons.size();
        }
        std::string one = reasons.substr(start, end - start);
        if (!one.empty() && one != "none") {
            split.push_back(std::move(one));
        }
        start = end + 1;
    }
    return split;
}

bool CupsDestinationDirectory::Destinations(std::vector<DestinationDetail>* destinations) {
    destinations->clear();
    CupsConnection connection(m_ends);
    if (connection.Get() == nullptr) {
        return false;
    }
    cups_dest_t* dests = nullptr;
    const int count = cupsGetDests2(connection.Get(), &dests);
    // No destinations and an error: the server did not answer, not an empty server.
    if (count == 0 && cupsLastError() > IPP_STATUS_OK_CONFLICTING &&
        cupsLastError() != IPP_STATUS_ERROR_NOT_FOUND) {
        return false;
    }
    for (int i = 0; i < count; ++i) {
        const cups_dest_t& dest = dests[i];
        DestinationDetail detail;
        detail.name = DestinationName(dest);
        const auto option = [&dest](const char* name) {
            const char* value = cupsGetOption(name, dest.num_options, dest.options);
            return std::string(value != nullptr ? value : "");
        };
        detail.deviceUri = option("device-uri");
        detail.state = PrinterStateName(option("printer-state"));
        detail.stateReasons = SplitStateReasons(option("printer-state-reasons"));
        destinations->push_back(std::move(detail));
    }
    cupsFreeDests(count, dests);
    return true;
}

}  // namespace tessaline
