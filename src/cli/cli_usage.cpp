#include "cli/cli_usage.h"

#include <ostream>

#include "cli/cli_exit.h"

namespace tessaline {

int UsageError(std::ostream& err, const std::string& error) {
    err << "tessaline-cli: " << error << "\nTry 'tessaline-cli --help'.\n";
    return kExitUsage;
}

}  // namespace tessaline
