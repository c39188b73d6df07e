#pragma once

#include <string>

#include <cups/cups.h>

#include "platform/printer_facts.h"

namespace tessaline {

// The attributes a Get-Printer-Attributes asks for, and how many.
extern const char* const kPrinterFactsWanted[];
extern const int kPrinterFactsWantedCount;

// The facts in a printer's answer; what it did not give stays absent. "none" is not a reason.
PrinterFacts PrinterFactsOf(ipp_t* response);

// Get-Printer-Attributes for the facts, to printerUri over http; false when no successful
// answer came.
bool AskPrinterFacts(http_t* http, const std::string& printerUri, const std::string& resource,
                     PrinterFacts* facts);

}  // namespace tessaline
