#pragma once

#include <iosfwd>
#include <string>

namespace tessaline {

// Says on err what was wrong with the command line, and where to read how it goes. Returns
// the usage exit code.
// Where printers cannot be asked what they run.
inline constexpr char kFactsNotAskedHereText[] =
    "the printers' versions are asked over IPP by the Linux command line; they cannot be asked "
    "here";

int UsageError(std::ostream& err, const std::string& error);

}  // namespace tessaline
