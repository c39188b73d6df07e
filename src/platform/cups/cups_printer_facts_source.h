#pragma once

#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "platform/destination_directory.h"
#include "platform/ipp/ipp_link.h"
#include "platform/printer_facts.h"

namespace tessaline {

// Asks printers what they run, at their own address: one named by ipp:// or ipps:// there, a
// CUPS queue at its device's address when that is ipp:// or ipps://. A queue's own attributes
// are the server's and are never taken for its printer's; a queue with another device (socket,
// usb, ...) cannot be asked. The server's list of queues is read once, at the first queue asked.
class CupsPrinterFactsSource final : public PrinterFactsSource {
  public:
    CupsPrinterFactsSource(IppLinks& printers, DestinationDirectory& destinations)
        : m_printers(printers), m_destinations(destinations) {}

    PrinterAnswer Ask(const std::string& printer) override;

  private:
    PrinterAnswer AskAt(const std::string& uri);
    // The queue's device URI; absent with *problem set when the server has no such queue or
    // could not be asked.
    std::optional<std::string> DeviceOf(const std::string& queue, std::string* problem);

    IppLinks& m_printers;
    DestinationDirectory& m_destinations;
    std::mutex m_mutex;  // guards the list below, read once
    bool m_listed = false;
    bool m_listRead = false;
    std::vector<DestinationDetail> m_list;
};

// "no IPP address: the printer cannot be asked"
extern const char kNoIppAddressNote[];

}  // namespace tessaline
