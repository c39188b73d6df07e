#pragma once

#include "cli/cli_args.h"
#include "cli/cli_platform.h"

namespace tessaline {

// The printers, one whole name per line, or with --json one array of their names and, where
// the server describes them, their device URIs and states.
int RunPrinters(const CliOptions& options, CliPlatform& platform);

}  // namespace tessaline
