#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "cli/cli_args.h"
#include "cli/cli_platform.h"
#include "cli/fleet/cli_job_window.h"
#include "cli/verify/cli_expect_version.h"

namespace tessaline {

// The printers to send, and with --expect-version what each ran before and is asked after.
struct UpgradeTargets {
    std::vector<std::string> printers;
    std::vector<VersionCheck> before;  // per printer; empty without --expect-version
    ChecksAfterJob* after = nullptr;
};

// The table after an upgrade of several printers, in the order given: each one's stage, bytes,
// job, with --wait its state, with --expect-version its versions; then how many already ran
// the expected version.
void PrintUpgradeSummary(const CliOptions& options, CliPlatform& platform, const WindowRun& run,
                         const UpgradeTargets& targets, const ChecksBefore& before,
                         std::uint32_t length);

}  // namespace tessaline
