#include "platform/ipp/ipp_job_status.h"

#include <utility>

#include <gtest/gtest.h>

namespace tessaline {
namespace {

TEST(IppJobStatus, StatesFromIpp) {
    const std::pair<int, JobState> cases[] = {
        {3, JobState::Pending},   {4, JobState::Pending},   {5, JobState::Printing},
        {6, JobState::Stopped},   {7, JobState::Cancelled}, {8, JobState::Aborted},
        {9, JobState::Completed}, {0, JobState::Unknown},   {10, JobState::Unknown},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(JobStateFromIpp(c.first), c.second) << c.first;
    }
}

}  // namespace
}  // namespace tessaline
