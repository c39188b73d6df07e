#include "cli/inventory/csv.h"

namespace tessaline {

std::string CsvCell(std::string_view text) {
    const bool formula =
        !text.empty() && std::string_view("=+-@\t\r").find(text[0]) != std::string_view::npos;
    const bool special = text.find_first_of(",\"\r\n") != std::string_view::npos;
    if (!formula && !special) {
        return std::string(text);
    }
    std::string cell = formula ? "\"'" : "\"";
    for (const char c : text) {
        cell += c;
        if (c == '"') {
            cell += '"';
        }
    }
    cell += '"';
    return cell;
}

std::string CsvRecord(const std::vector<std::optional<std::string>>& cells) {
    std::string record;
    for (std::size_t i = 0; i < cells.size(); ++i) {
        if (i > 0) {
            record += ',';
        }
        if (cells[i]) {
            record += CsvCell(*cells[i]);
        }
    }
    record += "\r\n";
    return record;
}

}  // namespace tessaline
