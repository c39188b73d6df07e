#include "cli/fleet/cli_fleet_output.h"

#include <gtest/gtest.h>

#include <ostream>

#include "fakes/cli_rig.h"

namespace tessaline {
namespace {

// ---- What --json says of an item, and where its message comes from

struct ReportCase {
    const char* name;
    bool started;
    bool interrupted;
    const char* note;
    const char* statusMessage;
    const char* stage;
    const char* message;
};

const ReportCase kReports[] = {
    {"NotStarted", false, false, "", "", "NotStarted", ""},
    {"TheNoteFirst", true, false, "the printer at h:631 could not be reached", "printing",
     "WriteFailed", "the printer at h:631 could not be reached"},
    {"ElseThePrintersMessage", true, false, "", "Job aborted by command", "WriteFailed",
     "Job aborted by command"},
    {"InterruptedSaysHowFar", true, true, "stopped after 1048576 of 9 bytes; the job is cancelled",
     "", "WriteFailed", "interrupted: stopped after 1048576 of 9 bytes; the job is cancelled"},
    {"InterruptedWithoutNote", true, true, "", "x", "WriteFailed",
     "interrupted: the job was cancelled"},
};

// Named by its case, not dumped byte by byte (padding would read as uninitialised).
void PrintTo(const ReportCase& c, std::ostream* out) {
    *out << c.name;
}

class WindowReportTest : public ::testing::TestWithParam<ReportCase> {};

TEST_P(WindowReportTest, StageMessageAndTime) {
    const ReportCase& c = GetParam();
    WindowOutcome outcome;
    outcome.started = c.started;
    outcome.interrupted = c.interrupted;
    outcome.submitted.result.stage = RawJobStage::WriteFailed;
    outcome.submitted.note = c.note;
    outcome.status.message = c.statusMessage;
    outcome.milliseconds = 1234;
    const JobReport report = WindowReport("ipp://h/ipp/print", outcome, 9);
    EXPECT_EQ(report.stage, c.stage);
    EXPECT_EQ(report.message, c.message);
    EXPECT_EQ(report.milliseconds.has_value(), c.started);
    // Not followed: no state, even with a status message at hand.
    EXPECT_FALSE(report.status.has_value());
}

INSTANTIATE_TEST_SUITE_P(Cases, WindowReportTest, ::testing::ValuesIn(kReports),
                         [](const auto& param) { return std::string(param.param.name); });

TEST(JobReportJson, AFollowedJobCarriesItsStateReasonsMessageAndSeconds) {
    JobReport report;
    report.printer = "ipps://10.0.0.9/ipp/print";
    report.stage = "Completed";
    report.size = 5;
    report.written = 5;
    report.datatype = "RAW";
    report.jobId = 12;
    report.status =
        JobStatus{JobState::Aborted, {"aborted-by-system", "job-incoming"}, "Bad \"data\""};
    report.message = "Bad \"data\"";
    report.milliseconds = 61005;
    EXPECT_EQ(JobReportJson(report),
              "{\"printer\":\"ipps://10.0.0.9/ipp/print\",\"uri\":\"ipps://10.0.0.9/ipp/print\","
              "\"stage\":\"Completed\",\"size\":5,\"written\":5,\"datatype\":\"RAW\",\"job\":12,"
              "\"state\":\"Aborted\",\"state_reasons\":[\"aborted-by-system\",\"job-incoming\"],"
              "\"message\":\"Bad \\\"data\\\"\",\"seconds\":61.005}");
}

// ---- The terminal's line

TEST(FleetOutput, TheLineIsWipedBeforeEveryOtherLineAndDrawnAgainAfter) {
    CliRig rig;
    rig.platform.errIsTerminal = true;
    {
        FleetOutput output(rig.platform, true);
        output.OnCounts({3, 0, 0, 1});
        output.OnCounts({3, 0, 0, 1});  // unchanged: not drawn again
        output.Out("a: sent");
        output.OnCounts({3, 1, 1, 0});
    }
    const std::string first = "0/3 done, 0 failed, 1 in flight";
    const std::string second = "1/3 done, 1 failed, 0 in flight";
    const auto wipe = [](const std::string& line) {
        return "\r" + std::string(line.size(), ' ') + "\r";
    };
    EXPECT_EQ(rig.err.str(), first + wipe(first) + first + wipe(first) + second + wipe(second));
    EXPECT_EQ(rig.out.str(), "a: sent\n");
}

TEST(FleetOutput, NoLineOffATerminalOrForOnePrinter) {
    for (const bool terminal : {false, true}) {
        CliRig rig;
        rig.platform.errIsTerminal = terminal;
        FleetOutput output(rig.platform, !terminal);
        output.OnCounts({1, 0, 0, 1});
        output.Err("a: failed");
        output.Finish();
        EXPECT_EQ(rig.err.str(), "a: failed\n");
    }
}

}  // namespace
}  // namespace tessaline
