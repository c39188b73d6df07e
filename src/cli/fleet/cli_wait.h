#pragma once

#include <cstdint>
#include <string>

#include "platform/job_monitor.h"

namespace tessaline {

// A job handed over whole, followed in the spooler by the id it was given.
struct FollowedJob {
    std::string printer;
    std::uint32_t jobId = 0;
    JobState state = JobState::Pending;
};

// The line telling how a followed job ended (seconds: how long it was given).
std::string WaitOutcomeText(const FollowedJob& job, std::uint32_t seconds);

}  // namespace tessaline
