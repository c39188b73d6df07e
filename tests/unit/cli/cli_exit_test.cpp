#include "cli/cli_exit.h"

#include <gtest/gtest.h>

#include "cli/cli_report.h"

namespace tessaline {
namespace {

TEST(CliExit, JobExitCodes) {
    struct Case {
        RawJobStage stage;
        std::uint32_t written;
        int code;
    };
    const Case cases[] = {
        {RawJobStage::Completed, 17, 0},      {RawJobStage::Completed, 16, 6},
        {RawJobStage::OpenFailed, 0, 4},      {RawJobStage::StartDocFailed, 0, 5},
        {RawJobStage::StartPageFailed, 0, 5}, {RawJobStage::WriteFailed, 0, 5},
        {RawJobStage::EndPageFailed, 0, 5},   {RawJobStage::EndDocFailed, 0, 5},
    };
    for (const Case& c : cases) {
        RawJobResult result;
        result.stage = c.stage;
        result.written = c.written;
        EXPECT_EQ(JobExitCode(result, 17), c.code) << StageName(c.stage) << " " << c.written;
    }
}

TEST(CliExit, OnlyCompletedCountsAsPrinted) {
    const JobState states[] = {JobState::Pending,   JobState::Printing, JobState::Aborted,
                               JobState::Cancelled, JobState::Stopped,  JobState::Unknown};
    EXPECT_EQ(WaitExitCode(JobState::Completed), 0);
    for (const JobState state : states) {
        EXPECT_EQ(WaitExitCode(state), 7) << JobStateName(state);
    }
}

}  // namespace
}  // namespace tessaline
