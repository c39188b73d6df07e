#pragma once

#include "cli/cli_args.h"
#include "cli/cli_platform.h"

namespace tessaline {

// Asks each printer what it runs and says it as a table, with --json one object per printer as
// it ends, or with --csv one record per printer and component. It sends nothing but asks.
int RunInventory(const CliOptions& options, CliPlatform& platform);

}  // namespace tessaline
