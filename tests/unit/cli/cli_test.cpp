#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "cli/cli_platform.h"
#include "fakes/cli_rig.h"

namespace tessaline {
namespace {

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

}  // namespace
}  // namespace tessaline
