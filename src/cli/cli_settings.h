#pragma once

#include <cstdint>
#include <optional>

#include "cli/cli_args.h"
#include "cli/cli_platform.h"

namespace tessaline {

// The stored value, or none when nothing is stored. Two reads with different defaults tell a
// missing value from a stored one whatever it holds; neither stores anything.
std::optional<std::int32_t> ReadStoredSetting(ProfileStore& profile, const char* entry);

// Shows the stored page size and orientation, after storing only the ones given.
int RunSettings(const CliOptions& options, CliPlatform& platform);

}  // namespace tessaline
