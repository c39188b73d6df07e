#include "cli/cli_printers.h"

#include <ostream>

#include "base/printer_address.h"
#include "cli/cli_exit.h"
#include "cli/cli_json.h"
#include "cli/cli_server_note.h"
#include "jobs/printer_list.h"

namespace tessaline {
namespace {

// One object per printer, in the list's order: its name, and where the server describes it,
// its device URI, state and state reasons (null where it does not), so that a printers file
// can be built from it. A queue whose device is an IPP address can be asked there.
std::string PrintersJson(const PrinterList& printers,
                         const std::vector<DestinationDetail>& details) {
    std::vector<std::string> objects;
    for (const PrinterName& printer : printers) {
        const DestinationDetail* detail = nullptr;
        for (const DestinationDetail& d : details) {
            detail = d.name == printer ? &d : detail;
        }
        JsonObject json;
        json.String("name", printer);
        if (detail != nullptr) {
            json.StringOrNull("device_uri", detail->deviceUri);
            IsPrinterAddress(detail->deviceUri) ? json.String("ipp_address", detail->deviceUri)
                                                : json.Null("ipp_address");
            json.StringOrNull("state", detail->state)
                .Strings("state_reasons", detail->stateReasons);
        } else {
            json.Null("device_uri").Null("ipp_address").Null("state").Null("state_reasons");
        }
        objects.push_back(json.Text());
    }
    return JsonArray(objects);
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
