#include "cli/cli_printers.h"

#include <ostream>

#include "cli/cli_report.h"
#include "cli/cli_server_note.h"
#include "jobs/printer_list.h"

namespace tessaline {
namespace {

// One object per printer, in the list's order: its name, and where the server describes it,
// its device URI, state and state reasons (null where it does not), so that a printers file
// can be built from it.
std::string PrintersJson(const PrinterList& printers,
                         const std::vector<DestinationDetail>& details) {
    std::string json = "[";
    for (std::size_t i = 0; i < printers.size(); ++i) {
        const DestinationDetail* detail = nullptr;
        for (const DestinationDetail& d : details) {
            detail = d.name == printers[i] ? &d : detail;
        }
        json += (i == 0 ? "{" : ",{") + std::string("\"name\":") + JsonString(printers[i]);
        const auto field = [&json](const char* key, const std::string& value) {
            json += std::string(",\"") + key + "\":" + (value.empty() ? "null" : JsonString(value));
        };
        field("device_uri", detail != nullptr ? detail->deviceUri : "");
        field("state", detail != nullptr ? detail->state : "");
        json += ",\"state_reasons\":";
        if (detail == nullptr) {
            json += "null";
        } else {
            json += "[";
            for (std::size_t r = 0; r < detail->stateReasons.size(); ++r) {
                json += (r == 0 ? "" : ",") + JsonString(detail->stateReasons[r]);
            }
            json += "]";
        }
        json += "}";
    }
    return json + "]";
}

}  // namespace

int RunPrinters(const CliOptions& options, CliPlatform& platform) {
    // An empty list from a server that is not there would read as "no printers".
    if (platform.server != nullptr) {
        const std::string unreachable = platform.server->UnreachableServer();
        if (!unreachable.empty()) {
            platform.err << "tessaline-cli: " << UnreachableServerWords(unreachable)
                         << "; is its scheduler running?\n";
            return kExitPrinterNotOpened;
        }
    }
    const PrinterList printers = ListPrinters(platform.printers);
    if (!options.json) {
        for (const PrinterName& printer : printers) {
            platform.out << printer << '\n';
        }
        return kExitOk;
    }
    std::vector<DestinationDetail> details;
    if (platform.destinations != nullptr && !platform.destinations->Destinations(&details)) {
        details.clear();
    }
    platform.out << PrintersJson(printers, details) << '\n';
    return kExitOk;
}

}  // namespace tessaline
