#pragma once

#include "cli/cli_args.h"
#include "cli/cli_platform.h"

namespace tessaline {

// The window's Print button for every --printer, reporting each job that is not complete.
// Returns the highest exit code of all jobs.
int RunForms(const CliOptions& options, CliPlatform& platform);

}  // namespace tessaline
