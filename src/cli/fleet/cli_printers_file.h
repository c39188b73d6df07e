#pragma once

#include <cstdint>
#include <istream>
#include <string>
#include <string_view>
#include <vector>

#include "platform/file.h"

namespace tessaline {

// A printers file is a list of names, not a document: a few thousand lines at most. Whole
// mebibytes, as the refusal names it in them.
inline constexpr std::uint64_t kLargestPrintersFile = 16u * 1024u * 1024u;
static_assert(kLargestPrintersFile % (1024u * 1024u) == 0);

// The printers of a --printers-file: one name or address per line.
struct PrintersFile {
    bool ok = false;
    std::vector<std::string> printers;  // in the file's order
    std::string error;                  // one line, with ok false
};

// text is the file's whole content; source names it in errors ("FILE" or "standard input").
// Blanks around a line are dropped, and so is a trailing CR; blank lines and lines starting
// with # are skipped. A name given twice, or one already in given (the --printer names), is an
// error naming both places.
PrintersFile ParsePrintersFile(std::string_view text, const std::string& source,
                               const std::vector<std::string>& given);

// Reads the file whole ("-" reads in instead) and parses it as above. A file that cannot be
// opened or read is an error, as is one that names no printer.
PrintersFile ReadPrintersFile(FileSystem& files, std::istream& in, const std::string& path,
                              const std::vector<std::string>& given);

}  // namespace tessaline
