#include "cli/cli_exit.h"

#include <gtest/gtest.h>

#include <optional>
#include <vector>

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

TEST(CliExit, AJobHandedOverEndsAsItsLastSeenStateWithWait) {
    struct Case {
        const char* name;
        bool waited;
        std::optional<JobState> lastSeen;
        int code;
    };
    const Case cases[] = {
        {"NoWaitNeverSeen", false, std::nullopt, 0},
        {"NoWaitSeenAborted", false, JobState::Aborted, 0},
        {"WaitNeverSeen", true, std::nullopt, 7},
        {"WaitCompleted", true, JobState::Completed, 0},
        {"WaitStillPrinting", true, JobState::Printing, 7},
        {"WaitUnknown", true, JobState::Unknown, 7},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(FollowedExitCode(c.waited, c.lastSeen), c.code) << c.name;
    }
}

TEST(CliExit, TheRunTakesTheHighestCodeAndCtrlCOverAll) {
    struct Case {
        const char* name;
        std::vector<int> codes;
        bool interrupted;
        int code;
    };
    const Case cases[] = {
        {"NoItems", {}, false, 0},
        {"AllOk", {0, 0}, false, 0},
        {"HighestWins", {4, 9, 0, 5}, false, 9},
        {"InterruptedAllOk", {0}, true, 130},
        {"InterruptedOverFailures", {9, 5}, true, 130},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(RunExitCode(c.codes, c.interrupted), c.code) << c.name;
    }
}

}  // namespace
}  // namespace tessaline
