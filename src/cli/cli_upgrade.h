#pragma once

#include "cli/cli_args.h"
#include "cli/cli_platform.h"

namespace tessaline {

// The window's flash upgrade for every --printer: one open and one read of the file, one
// confirmation, one job per printer. Returns the highest exit code of all printers.
int RunUpgrade(const CliOptions& options, CliPlatform& platform);

// Only "y" or "yes", in any case, with blanks around it.
bool IsYes(const std::string& answer);

}  // namespace tessaline
