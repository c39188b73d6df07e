#include "cli/cli_report.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "cli/fleet/cli_progress.h"
#include "cli/fleet/cli_wait.h"
#include "fakes/cli_rig.h"

namespace tessaline {
namespace {

TEST(CliReport, JobExitCodes) {
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

TEST(CliReport, OnlyCompletedCountsAsPrinted) {
    const JobState states[] = {JobState::Pending,   JobState::Printing, JobState::Aborted,
                               JobState::Cancelled, JobState::Stopped,  JobState::Unknown};
    EXPECT_EQ(WaitExitCode(JobState::Completed), 0);
    for (const JobState state : states) {
        EXPECT_EQ(WaitExitCode(state), 7) << JobStateName(state);
    }
}

TEST(CliReport, JsonStringEscapes) {
    EXPECT_EQ(JsonString("Laser 5"), "\"Laser 5\"");
    EXPECT_EQ(JsonString("\\\\srv\\q\"1\""), "\"\\\\\\\\srv\\\\q\\\"1\\\"\"");
    EXPECT_EQ(JsonString(std::string("a\nb\0c\x7f\xe9", 7)), "\"a\\u000ab\\u0000c\\u007f\\u00e9\"");
}

TEST(CliPrinters, ListsInProfileOrderAsTextOrJson) {
    CliRig rig;
    rig.printers = FakePrinterListSource({"zeta", "Laser \"5\"", "\\\\srv\\a"});
    EXPECT_EQ(rig.Run({"printers"}), 0);
    EXPECT_EQ(rig.out.str(), "zeta\nLaser \"5\"\n\\\\srv\\a\n");
    rig.out.str("");
    EXPECT_EQ(rig.Run({"printers", "--json"}), 0);
    // Without a directory (Windows), only the names are known.
    EXPECT_EQ(
        rig.out.str(),
        "[{\"name\":\"zeta\",\"device_uri\":null,\"state\":null,\"state_reasons\":null},"
        "{\"name\":\"Laser \\\"5\\\"\",\"device_uri\":null,\"state\":null,\"state_reasons\":null},"
        "{\"name\":\"\\\\\\\\srv\\\\a\",\"device_uri\":null,\"state\":null,\"state_reasons\":null}]"
        "\n");
}

class FakeDirectory : public DestinationDirectory {
  public:
    bool answers = true;
    std::vector<DestinationDetail> details;
    bool Destinations(std::vector<DestinationDetail>* out) override {
        *out = details;
        return answers;
    }
};

TEST(CliPrinters, JsonGivesEachDestinationsDeviceAndState) {
    CliRig rig;
    rig.printers = FakePrinterListSource({"a", "b", "c"});
    FakeDirectory directory;
    directory.details = {{"b", "socket://10.0.0.2:9100", "stopped", {"paused", "toner-low"}},
                         {"a", "ipp://10.0.0.1/ipp/print", "idle", {}}};
    rig.platform.destinations = &directory;
    EXPECT_EQ(rig.Run({"printers", "--json"}), 0);
    EXPECT_EQ(rig.out.str(),
              "[{\"name\":\"a\",\"device_uri\":\"ipp://10.0.0.1/ipp/print\",\"state\":\"idle\","
              "\"state_reasons\":[]},"
              "{\"name\":\"b\",\"device_uri\":\"socket://10.0.0.2:9100\",\"state\":\"stopped\","
              "\"state_reasons\":[\"paused\",\"toner-low\"]},"
              "{\"name\":\"c\",\"device_uri\":null,\"state\":null,\"state_reasons\":null}]\n");
    // A directory that cannot answer leaves the names alone.
    rig.out.str("");
    directory.answers = false;
    EXPECT_EQ(rig.Run({"printers", "--json"}), 0);
    EXPECT_EQ(rig.out.str().rfind("[{\"name\":\"a\",\"device_uri\":null,", 0), 0u);
}

class RecordingServer : public ServerSelector {
  public:
    bool accept = true;
    std::vector<std::string> asked;
    bool UseServer(const std::string& hostPort, std::string* err) override {
        asked.push_back(hostPort);
        *err = "bad port";
        return accept;
    }
};

TEST(CliServer, ChosenBeforeAnyPrinterIsListed) {
    CliRig rig;
    RecordingServer server;
    rig.platform.server = &server;
    EXPECT_EQ(rig.Run({"printers", "--server", "127.0.0.1:8631"}), 0);
    EXPECT_EQ(server.asked, std::vector<std::string>{"127.0.0.1:8631"});

    server.accept = false;
    rig.printers.sizesAsked.clear();
    EXPECT_EQ(rig.Run({"printers", "--server", "h:x"}), 1);
    EXPECT_TRUE(rig.printers.sizesAsked.empty());
    EXPECT_EQ(rig.err.str(),
              "tessaline-cli: --server h:x: bad port\nTry 'tessaline-cli --help'.\n");
}

TEST(CliServer, UsageErrorWherePrintServersAreNamedInstead) {
    CliRig rig;
    EXPECT_EQ(rig.Run({"printers", "--server", "h"}), 1);
    EXPECT_EQ(rig.err.str(),
              "tessaline-cli: --server is not used here; name a print server's printer as "
              "\\\\server\\printer\nTry 'tessaline-cli --help'.\n");
}

TEST(CliHelp, ShowsEveryCommandWithAnExampleAndTheExitCodes) {
    CliRig rig;
    EXPECT_EQ(rig.Run({"--help"}), 0);
    const std::string help = rig.out.str();
    for (const char* needle :
         {"  tessaline-cli printers\n", "tessaline-cli upgrade module.bin --printer",
          "tessaline-cli forms 4-11 --printer", "tessaline-cli settings --page-size A4",
          "  7  with --wait, the job failed, could not be followed or did not finish in time\n",
          "the highest code wins"}) {
        EXPECT_NE(help.find(needle), std::string::npos) << needle;
    }
    rig.out.str("");
    EXPECT_EQ(rig.Run({"--version"}), 0);
    EXPECT_EQ(rig.out.str(), "tessaline-cli 3.2\n");
}

TEST(CliProgress, RedrawsInPlaceOnlyWhenThePercentChangesAndWipesAtTheEnd) {
    std::ostringstream err;
    ProgressLine line(err, "a");
    const std::uint64_t total = 4u * 1024u * 1024u;
    line.OnWritten(0, total);
    line.OnWritten(1, total);  // still 0 %: not redrawn
    line.OnWritten(total / 2, total);
    line.OnWritten(total, total);
    line.Finish();
    const std::string first = "a: sending 0% (0.0 of 4.0 MiB)";
    const std::string wipe = "\r" + std::string(first.size() + 2, ' ') + "\r";
    EXPECT_EQ(err.str(), "\r" + first + "\ra: sending 50% (2.0 of 4.0 MiB)\ra: sending 100% (4.0 " +
                             "of 4.0 MiB)" + wipe);
}

}  // namespace
}  // namespace tessaline
