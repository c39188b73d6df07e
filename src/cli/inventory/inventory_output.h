#pragma once

#include <string>
#include <vector>

#include "platform/printer_facts.h"

namespace tessaline {

// One printer of an inventory as it ended. Everything in answer came from the network.
struct InventoryEntry {
    std::string printer;
    bool asked = false;  // false: the run stopped before it (Ctrl-C)
    PrinterAnswer answer;
};

// Why it could not be asked, else why some firmware values were left out; empty otherwise.
std::string InventoryMessage(const InventoryEntry& entry);

// One JSON object on one line; a value the printer did not give is null.
std::string InventoryJson(const InventoryEntry& entry);

inline constexpr char kInventoryCsvHeader[] =
    "printer,asked_at,make_and_model,component,version,patches,state,message\r\n";
// One CSV record per component, or one when there is none.
std::string InventoryCsv(const InventoryEntry& entry);

// The table of the printers, one line per component, every value made safe for a terminal.
std::string InventoryTable(const std::vector<InventoryEntry>& entries);

}  // namespace tessaline
