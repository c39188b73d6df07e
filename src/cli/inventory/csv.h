#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tessaline {

// One CSV cell as RFC 4180 writes it: quoted when it holds a comma, a quote, CR or LF, with
// quotes doubled. A cell that a spreadsheet would take for a formula (it starts with =, +, -, @,
// a tab or CR) is made inert: a ' goes before it and it is quoted.
std::string CsvCell(std::string_view text);

// One record: the cells joined by commas, an absent value as an empty cell, ended by CRLF.
std::string CsvRecord(const std::vector<std::optional<std::string>>& cells);

}  // namespace tessaline
