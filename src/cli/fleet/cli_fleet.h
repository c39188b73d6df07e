#pragma once

#include "cli/cli_args.h"
#include "cli/cli_platform.h"

namespace tessaline {

// Before a fleet command runs: adds the printers of --printers-file to options.printers and
// refuses printers by address where the platform cannot reach them. False: a usage error,
// said in *error.
bool PrepareFleet(CliOptions& options, CliPlatform& platform, std::string* error);

// Hands --encrypt, --user and --password-file to the platform (or refuses them where they mean
// nothing). False: a usage error, said in *error.
bool SignInAsAsked(const CliOptions& options, CliPlatform& platform, std::string* error);

}  // namespace tessaline
