#include "platform/cups/cups_printer_facts_source.h"

#include "base/printer_address.h"
#include "platform/ipp/ipp_device_rules.h"

namespace tessaline {

const char kNoIppAddressNote[] = "no IPP address: the printer cannot be asked";

PrinterAnswer CupsPrinterFactsSource::Ask(const std::string& printer) {
    if (IsPrinterAddress(printer)) {
        return AskAt(printer);
    }
    PrinterAnswer answer;
    const std::optional<std::string> device = DeviceOf(printer, &answer.problem);
    if (!device) {
        return answer;
    }
    if (!IsPrinterAddress(*device)) {
        answer.problem = kNoIppAddressNote;
        return answer;
    }
    return AskAt(*device);
}

PrinterAnswer CupsPrinterFactsSource::AskAt(const std::string& uri) {
    PrinterAnswer answer;
    answer.askedAt = uri;
    const std::unique_ptr<IppLink> link = m_printers.Connect(uri, &answer.problem);
    if (link == nullptr) {
        return answer;
    }
    PrinterFacts facts;
    if (!link->AskFacts(&facts)) {
        answer.problem = "the printer at " + PrinterAddressOfUri(uri) +
                         " did not say what it runs: " + link->LastError();
        return answer;
    }
    answer.facts = std::move(facts);
    return answer;
}

std::optional<std::string> CupsPrinterFactsSource::DeviceOf(const std::string& queue,
                                                            std::string* problem) {
    const std::lock_guard<std::mutex> lock(m_mutex);
    if (!m_listed) {
        m_listed = true;
        m_listRead = m_destinations.Destinations(&m_list);
    }
    if (!m_listRead) {
        *problem = "the server could not be asked for its printers";
        return std::nullopt;
    }
    for (const DestinationDetail& destination : m_list) {
        if (destination.name == queue) {
            return destination.deviceUri;
        }
    }
    *problem = "the server has no printer named '" + queue + "'";
    return std::nullopt;
}

}  // namespace tessaline
