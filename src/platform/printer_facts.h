#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "base/firmware_components.h"

namespace tessaline {

// What a printer says of itself when asked (Get-Printer-Attributes). It comes from the network:
// a value the printer did not give is absent, and nothing here is shown before it is made safe
// (base/untrusted_text.h).
struct PrinterFacts {
    std::optional<std::string> makeAndModel;
    FirmwareAttributes firmware;
    std::optional<std::string> state;  // "idle", "processing" or "stopped"
    std::vector<std::string> stateReasons;
    std::optional<std::int32_t> upTime;  // seconds; lower after a restart
};

struct PrinterAnswer {
    std::optional<std::string> askedAt;  // the address asked; absent when there is none
    std::optional<PrinterFacts> facts;   // absent when the printer could not be asked
    std::string problem;                 // then why, in one line
};

// Asks printers, named as the command line names them (a queue, or an ipp:// or ipps://
// address), what they run. It sends nothing but requests for attributes. Calls may come from
// several threads at once.
class PrinterFactsSource {
  public:
    virtual ~PrinterFactsSource() = default;
    virtual PrinterAnswer Ask(const std::string& printer) = 0;
};

}  // namespace tessaline
