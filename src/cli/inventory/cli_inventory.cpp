#include "cli/inventory/cli_inventory.h"

#include <ostream>

#include "cli/cli_exit.h"
#include "cli/cli_usage.h"
#include "cli/inventory/ask_all.h"
#include "cli/inventory/inventory_output.h"

namespace tessaline {
namespace {

// JSON and CSV go out as each printer ends; the table waits for all, in the order given.
void PrintEnded(const CliOptions& options, CliPlatform& platform, const InventoryEntry& entry) {
    if (options.json) {
        platform.out << InventoryJson(entry) << '\n';
    } else if (options.csv) {
        platform.out << InventoryCsv(entry);
    }
    platform.out.flush();
}

}  // namespace

int RunInventory(const CliOptions& options, CliPlatform& platform) {
    if (platform.facts == nullptr) {
        return UsageError(platform.err, kFactsNotAskedHereText);
    }
    if (options.csv) {
        platform.out << kInventoryCsvHeader;
    }
    std::vector<InventoryEntry> entries(options.printers.size());
    std::vector<int> codes;
    const std::size_t asked =
        AskAll(*platform.facts, options.printers, options.window.parallel, platform.threads,
               platform.stop, [&](std::size_t i, const PrinterAnswer& answer) {
                   entries[i] = {options.printers[i], true, answer};
                   codes.push_back(AskExitCode(answer.facts.has_value()));
                   PrintEnded(options, platform, entries[i]);
               });
    for (std::size_t i = asked; i < entries.size(); ++i) {
        entries[i].printer = options.printers[i];
        PrintEnded(options, platform, entries[i]);
    }
    if (!options.json && !options.csv) {
        platform.out << InventoryTable(entries);
    }
    return RunExitCode(codes, asked < entries.size());
}

}  // namespace tessaline
