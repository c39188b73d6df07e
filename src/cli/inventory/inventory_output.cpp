#include "cli/inventory/inventory_output.h"

#include <algorithm>
#include <optional>

#include "base/untrusted_text.h"
#include "cli/cli_json.h"
#include "cli/inventory/csv.h"

namespace tessaline {
namespace {

using Cells = std::vector<std::optional<std::string>>;

constexpr char kNotAsked[] = "not asked: the run stopped before it";

FirmwareComponents Components(const InventoryEntry& entry) {
    return entry.answer.facts ? PairFirmware(entry.answer.facts->firmware) : FirmwareComponents{};
}

std::string JoinReasons(const std::vector<std::string>& reasons) {
    std::string joined;
    for (const std::string& reason : reasons) {
        joined += (joined.empty() ? "" : ",") + reason;
    }
    return joined;
}

std::string StateText(const PrinterFacts& facts) {
    std::string text = facts.state.value_or("-");
    if (!facts.stateReasons.empty()) {
        text += " (" + JoinReasons(facts.stateReasons) + ")";
    }
    return text;
}

std::string Pad(const std::string& text, std::size_t width) {
    return text.size() < width ? text + std::string(width - text.size(), ' ') : text;
}

std::vector<std::vector<std::string>> TableRows(const std::vector<InventoryEntry>& entries) {
    std::vector<std::vector<std::string>> rows = {
        {"PRINTER", "COMPONENT", "VERSION", "STATE", "UP", "ASKED AT / MESSAGE"}};
    for (const InventoryEntry& entry : entries) {
        const std::string printer = TerminalSafe(entry.printer);
        const std::string message = TerminalSafe(InventoryMessage(entry));
        const std::optional<PrinterFacts>& facts = entry.answer.facts;
        if (!facts) {
            rows.push_back({printer, "-", "-", "-", "-", message});
            continue;
        }
        const std::string state = TerminalSafe(StateText(*facts));
        const std::string up = facts->upTime ? std::to_string(*facts->upTime) + " s" : "-";
        std::string at = TerminalSafe(entry.answer.askedAt.value_or("-"));
        at += message.empty() ? "" : ": " + message;
        const FirmwareComponents paired = Components(entry);
        if (paired.components.empty()) {
            rows.push_back({printer, "-", "-", state, up, at});
        }
        for (const FirmwareComponent& c : paired.components) {
            std::string version = c.version.value_or("-");
            version += c.patches && !c.patches->empty() ? " (" + *c.patches + ")" : "";
            rows.push_back({printer, TerminalSafe(c.name), TerminalSafe(version), state, up, at});
        }
    }
    return rows;
}

}  // namespace

std::string InventoryMessage(const InventoryEntry& entry) {
    if (!entry.asked) {
        return kNotAsked;
    }
    if (!entry.answer.facts) {
        return entry.answer.problem;
    }
    return Components(entry).note;
}

std::string InventoryJson(const InventoryEntry& entry) {
    JsonObject json;
    json.String("printer", entry.printer);
    const std::optional<std::string>& at = entry.answer.askedAt;
    at ? json.String("asked_at", *at) : json.Null("asked_at");
    const std::optional<PrinterFacts>& facts = entry.answer.facts;
    if (facts && facts->makeAndModel) {
        json.String("make_and_model", *facts->makeAndModel);
    } else {
        json.Null("make_and_model");
    }
    std::vector<std::string> components;
    for (const FirmwareComponent& c : Components(entry).components) {
        JsonObject one;
        one.String("name", c.name);
        c.version ? one.String("version", *c.version) : one.Null("version");
        c.patches ? one.String("patches", *c.patches) : one.Null("patches");
        components.push_back(one.Text());
    }
    facts ? json.Array("components", components) : json.Null("components");
    facts && facts->state ? json.String("state", *facts->state) : json.Null("state");
    facts ? json.Strings("state_reasons", facts->stateReasons) : json.Null("state_reasons");
    json.NumberOrNull("up_time", facts && facts->upTime
                                     ? std::optional<std::int64_t>(*facts->upTime)
                                     : std::nullopt);
    json.StringOrNull("message", InventoryMessage(entry));
    return json.Text();
}

std::string InventoryCsv(const InventoryEntry& entry) {
    const std::optional<PrinterFacts>& facts = entry.answer.facts;
    const std::optional<std::string> model = facts ? facts->makeAndModel : std::nullopt;
    const std::optional<std::string> state = facts ? facts->state : std::nullopt;
    const std::string message = InventoryMessage(entry);
    const std::optional<std::string> note =
        message.empty() ? std::nullopt : std::optional<std::string>(message);
    const FirmwareComponents paired = Components(entry);
    if (paired.components.empty()) {
        return CsvRecord({entry.printer, entry.answer.askedAt, model, std::nullopt, std::nullopt,
                          std::nullopt, state, note});
    }
    std::string records;
    for (const FirmwareComponent& c : paired.components) {
        records += CsvRecord({entry.printer, entry.answer.askedAt, model, c.name, c.version,
                              c.patches, state, note});
    }
    return records;
}

std::string InventoryTable(const std::vector<InventoryEntry>& entries) {
    const std::vector<std::vector<std::string>> rows = TableRows(entries);
    std::vector<std::size_t> widths(rows[0].size(), 0);
    for (const auto& row : rows) {
        for (std::size_t c = 0; c < row.size(); ++c) {
            widths[c] = std::max(widths[c], row[c].size());
        }
    }
    std::string table;
    for (const auto& row : rows) {
        for (std::size_t c = 0; c < row.size(); ++c) {
            table += c + 1 < row.size() ? Pad(row[c], widths[c] + 2) : row[c];
        }
        table += '\n';
    }
    return table;
}

}  // namespace tessaline
