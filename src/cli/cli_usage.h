#pragma once

#include <iosfwd>
#include <string>

namespace tessaline {

// Says on err what was wrong with the command line, and where to read how it goes. Returns
// the usage exit code.
int UsageError(std::ostream& err, const std::string& error);

}  // namespace tessaline
