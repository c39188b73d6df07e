#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "cli/cli_platform.h"
#include "platform/job_monitor.h"

namespace tessaline {

inline constexpr std::uint32_t kWaitPollMilliseconds = 500;

// A job handed over whole, followed in the spooler by the id it was given.
struct FollowedJob {
    std::string printer;
    std::uint32_t jobId = 0;
    JobState state = JobState::Pending;
};

// Asks for every job's state until each is final or seconds have passed, whichever comes
// first; asks at least once. A job without an id is Unknown at once.
void WaitForJobs(JobMonitor& monitor, CliClock& clock, std::vector<FollowedJob>& jobs,
                 std::uint32_t seconds);

// The line telling how a followed job ended (seconds: how long it was given).
std::string WaitOutcomeText(const FollowedJob& job, std::uint32_t seconds);

}  // namespace tessaline
