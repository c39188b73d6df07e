#include "platform/ipp/ipp_printer_facts.h"

#include "base/untrusted_text.h"

namespace tessaline {
namespace {

// printer-make-and-model is text(127); keywords are at most 255 octets.
constexpr std::size_t kMaxMakeAndModelOctets = 127;
constexpr std::size_t kMaxKeywordOctets = 255;

std::vector<std::string> StringsOf(ipp_t* response, const char* name) {
    std::vector<std::string> values;
    ipp_attribute_t* attr = ippFindAttribute(response, name, IPP_TAG_ZERO);
    for (int i = 0; attr != nullptr && i < ippGetCount(attr); ++i) {
        if (ippGetValueTag(attr) == IPP_TAG_STRING) {
            int length = 0;
            const auto* octets = static_cast<const char*>(ippGetOctetString(attr, i, &length));
            values.emplace_back(octets != nullptr ? octets : "", octets != nullptr ? length : 0);
        } else {
            const char* text = ippGetString(attr, i, nullptr);
            values.emplace_back(text != nullptr ? text : "");
        }
    }
    return values;
}

std::optional<std::string> StateName(int state) {
    switch (state) {
        case IPP_PSTATE_IDLE:
            return "idle";
        case IPP_PSTATE_PROCESSING:
            return "processing";
        case IPP_PSTATE_STOPPED:
            return "stopped";
        default:
            return std::nullopt;
    }
}

}  // namespace

const char* const kPrinterFactsWanted[] = {
    "printer-make-and-model",   "printer-firmware-name",    "printer-firmware-string-version",
    "printer-firmware-version", "printer-firmware-patches", "printer-state",
    "printer-state-reasons",    "printer-up-time",
};
const int kPrinterFactsWantedCount =
    static_cast<int>(sizeof kPrinterFactsWanted / sizeof kPrinterFactsWanted[0]);

PrinterFacts PrinterFactsOf(ipp_t* response) {
    PrinterFacts facts;
    const std::vector<std::string> model = StringsOf(response, "printer-make-and-model");
    if (!model.empty()) {
        facts.makeAndModel = CutToOctets(model[0], kMaxMakeAndModelOctets);
    }
    facts.firmware.names = StringsOf(response, "printer-firmware-name");
    facts.firmware.stringVersions = StringsOf(response, "printer-firmware-string-version");
    facts.firmware.versions = StringsOf(response, "printer-firmware-version");
    facts.firmware.patches = StringsOf(response, "printer-firmware-patches");
    if (ipp_attribute_t* state = ippFindAttribute(response, "printer-state", IPP_TAG_ENUM)) {
        facts.state = StateName(ippGetInteger(state, 0));
    }
    for (const std::string& reason : StringsOf(response, "printer-state-reasons")) {
        if (reason != "none") {
            facts.stateReasons.push_back(CutToOctets(reason, kMaxKeywordOctets));
        }
    }
    if (ipp_attribute_t* upTime = ippFindAttribute(response, "printer-up-time", IPP_TAG_INTEGER)) {
        facts.upTime = ippGetInteger(upTime, 0);
    }
    return facts;
}

bool AskPrinterFacts(http_t* http, const std::string& printerUri, const std::string& resource,
                     PrinterFacts* facts) {
    if (http == nullptr) {
        return false;
    }
    ipp_t* request = ippNewRequest(IPP_OP_GET_PRINTER_ATTRIBUTES);
    ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_URI, "printer-uri", nullptr,
                 printerUri.c_str());
    ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_NAME, "requesting-user-name", nullptr,
                 cupsUser());
    ippAddStrings(request, IPP_TAG_OPERATION, IPP_TAG_KEYWORD, "requested-attributes",
                  kPrinterFactsWantedCount, nullptr, kPrinterFactsWanted);
    // cupsDoRequest frees the request; the response is ours.
    ipp_t* response = cupsDoRequest(http, request, resource.c_str());
    const bool answered =
        response != nullptr && ippGetStatusCode(response) <= IPP_STATUS_OK_CONFLICTING;
    if (answered) {
        *facts = PrinterFactsOf(response);
    }
    ippDelete(response);
    return answered;
}

}  // namespace tessaline
