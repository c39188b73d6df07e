// Any firmware attributes a printer may send, through the pairing into components and out as
// terminal text, CSV cells and the inventory's rows. The components never outnumber any
// attribute given, no value is longer than its attribute allows (plus the mark), a terminal never
// gets a control byte and the escapes decode back to the value, a CSV record parses back to its
// cells, with a formula disarmed, and the inventory gives one record per component (one when
// there is none) and a table a terminal cannot be driven by.
//
// Input: the four attributes (names, string versions, versions, patches) separated by 0x1E, the
// values of each by 0x1F; any other byte, NUL included, is part of a value.

#include <algorithm>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/firmware_components.h"
#include "base/untrusted_text.h"
#include "cli/inventory/csv.h"
#include "cli/inventory/inventory_output.h"
#include "fuzz/fuzz_check.h"

namespace tessaline {
namespace {

using fuzz::Check;

std::vector<std::string> Split(std::string_view text, char separator) {
    std::vector<std::string> parts;
    std::size_t start = 0;
    for (std::size_t at = 0; at <= text.size(); ++at) {
        if (at == text.size() || text[at] == separator) {
            parts.emplace_back(text.substr(start, at - start));
            start = at + 1;
        }
    }
    return parts;
}

FirmwareAttributes AttributesOf(std::string_view input) {
    std::vector<std::string> lists = Split(input, '\x1e');
    lists.resize(4);
    const auto values = [](const std::string& list) {
        return list.empty() ? std::vector<std::string>() : Split(list, '\x1f');
    };
    return {values(lists[0]), values(lists[1]), values(lists[2]), values(lists[3])};
}

// Undoes TerminalSafe: \\ and \xNN.
std::string Unescaped(const std::string& shown) {
    std::string out;
    for (std::size_t i = 0; i < shown.size(); ++i) {
        if (shown[i] != '\\') {
            out += shown[i];
        } else if (shown.compare(i, 2, "\\\\") == 0) {
            out += '\\';
            i += 1;
        } else {
            Check(shown.size() >= i + 4 && shown[i + 1] == 'x', "an escape is \\\\ or \\xNN");
            out += static_cast<char>(std::stoi(shown.substr(i + 2, 2), nullptr, 16));
            i += 3;
        }
    }
    return out;
}

void CheckTerminalSafe(const std::string& value) {
    const std::string shown = TerminalSafe(value);
    for (std::size_t i = 0; i < shown.size(); ++i) {
        const auto byte = static_cast<std::uint8_t>(shown[i]);
        Check(byte >= 0x20 && byte != 0x7F, "no C0 control or DEL reaches the terminal");
        const bool c1 = byte == 0xC2 && i + 1 < shown.size() &&
                        static_cast<std::uint8_t>(shown[i + 1]) < 0xA0 &&
                        static_cast<std::uint8_t>(shown[i + 1]) >= 0x80;
        Check(!c1, "no C1 control reaches the terminal");
    }
    Check(Unescaped(shown) == value, "the escapes decode back to the value");
}

// An RFC 4180 reader of one record ended by CRLF.
std::vector<std::string> ParseRecord(const std::string& record) {
    Check(record.size() >= 2 && record.compare(record.size() - 2, 2, "\r\n") == 0, "ends in CRLF");
    std::vector<std::string> cells(1);
    bool quoted = false;
    for (std::size_t i = 0; i + 2 < record.size() || (quoted && i < record.size()); ++i) {
        const char c = record[i];
        if (quoted && c == '"' && i + 1 < record.size() && record[i + 1] == '"') {
            cells.back() += '"';
            ++i;
        } else if (c == '"' && (quoted || cells.back().empty())) {
            quoted = !quoted;
        } else if (c == ',' && !quoted) {
            cells.emplace_back();
        } else {
            Check(quoted || (c != '"' && c != '\r' && c != '\n'), "specials only inside quotes");
            cells.back() += c;
        }
    }
    Check(!quoted, "every quote is closed");
    return cells;
}

void CheckCsv(const std::vector<std::string>& values) {
    std::vector<std::optional<std::string>> cells(values.begin(), values.end());
    const std::vector<std::string> parsed = ParseRecord(CsvRecord(cells));
    Check(parsed.size() == values.size(), "a record keeps its number of cells");
    for (std::size_t i = 0; i < values.size(); ++i) {
        const bool formula =
            !values[i].empty() &&
            std::string_view("=+-@\t\r").find(values[i][0]) != std::string_view::npos;
        Check(parsed[i] == (formula ? "'" : "") + values[i],
              "a cell reads back, a formula disarmed");
    }
}

// Splits CSV text into records at the CRLFs outside quotes.
std::vector<std::string> Records(const std::string& text) {
    std::vector<std::string> records;
    bool quoted = false;
    std::size_t start = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '"') {
            quoted = !quoted;
        } else if (!quoted && text.compare(i, 2, "\r\n") == 0) {
            records.push_back(text.substr(start, i + 2 - start));
            start = i + 2;
            ++i;
        }
    }
    Check(start == text.size() && !quoted, "the inventory's CSV is whole records");
    return records;
}

void CheckInventory(const FirmwareAttributes& given, const FirmwareComponents& paired) {
    InventoryEntry entry{"printer", true, {}};
    entry.answer.askedAt = "ipp://p/ipp/print";
    entry.answer.facts = PrinterFacts{};
    entry.answer.facts->firmware = given;
    entry.answer.facts->makeAndModel = given.names.empty() ? "" : given.names[0];
    const std::vector<std::string> records = Records(InventoryCsv(entry));
    Check(records.size() == std::max<std::size_t>(1, paired.components.size()),
          "one record per component, one when there is none");
    for (std::size_t i = 0; i < records.size(); ++i) {
        const std::vector<std::string> cells = ParseRecord(records[i]);
        Check(cells.size() == 8, "every record has the header's eight cells");
        Check(paired.components.empty() ||
                  cells[3] == ParseRecord(CsvRecord({paired.components[i].name}))[0],
              "the component's cell is its name");
    }
    const std::string table = InventoryTable({entry});
    for (std::size_t i = 0; i < table.size(); ++i) {
        const auto byte = static_cast<std::uint8_t>(table[i]);
        Check((byte >= 0x20 && byte != 0x7F) || byte == '\n', "the table drives no terminal");
    }
}

}  // namespace
}  // namespace tessaline

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace tessaline;
    const FirmwareAttributes given =
        AttributesOf(std::string_view(reinterpret_cast<const char*>(data), size));
    const FirmwareComponents paired = PairFirmware(given);
    for (const auto* list :
         {&given.names, &given.stringVersions, &given.versions, &given.patches}) {
        Check(list->empty() || paired.components.size() <= list->size(),
              "no more components than any attribute has values");
    }
    Check(paired.components.size() <= given.names.size(), "every component has a name");
    const std::size_t mark = kCutMark.size();
    for (const FirmwareComponent& c : paired.components) {
        Check(c.name.size() <= kMaxNameOctets + mark, "a name is cut to its length");
        Check(!c.version ||
                  c.version->size() <= std::max(kMaxTextOctets, 2 + 2 * kMaxVersionOctets) + mark,
              "a version is cut to its length");
        CheckTerminalSafe(c.name);
        CheckTerminalSafe(c.version.value_or(""));
        CheckCsv({c.name, c.version.value_or(""), c.patches.value_or(""), paired.note});
    }
    CheckInventory(given, paired);
    ChooseComponent(paired.components, given.names.empty()
                                           ? std::nullopt
                                           : std::optional<std::string>(given.names[0]));
    return 0;
}
