#include "cli/cli_printers.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fakes/cli_rig.h"

namespace tessaline {
namespace {

TEST(CliPrinters, ListsInProfileOrderAsTextOrJson) {
    CliRig rig;
    rig.printers = FakePrinterListSource({"zeta", "Laser \"5\"", "\\\\srv\\a"});
    EXPECT_EQ(rig.Run({"printers"}), 0);
    EXPECT_EQ(rig.out.str(), "zeta\nLaser \"5\"\n\\\\srv\\a\n");
    rig.out.str("");
    EXPECT_EQ(rig.Run({"printers", "--json"}), 0);
    // Without a directory (Windows), only the names are known.
    EXPECT_EQ(rig.out.str(),
              "[{\"name\":\"zeta\",\"device_uri\":null,\"ipp_address\":null,\"state\":null,\"state_"
              "reasons\":null},"
              "{\"name\":\"Laser "
              "\\\"5\\\"\",\"device_uri\":null,\"ipp_address\":null,\"state\":null,\"state_"
              "reasons\":null},"
              "{\"name\":\"\\\\\\\\srv\\\\a\",\"device_uri\":null,\"ipp_address\":null,\"state\":"
              "null,\"state_reasons\":null}]"
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
              "[{\"name\":\"a\",\"device_uri\":\"ipp://10.0.0.1/ipp/print\",\"ipp_address\":\"ipp:/"
              "/10.0.0.1/ipp/print\",\"state\":\"idle\","
              "\"state_reasons\":[]},"
              "{\"name\":\"b\",\"device_uri\":\"socket://"
              "10.0.0.2:9100\",\"ipp_address\":null,\"state\":\"stopped\","
              "\"state_reasons\":[\"paused\",\"toner-low\"]},"
              "{\"name\":\"c\",\"device_uri\":null,\"ipp_address\":null,\"state\":null,\"state_"
              "reasons\":null}]\n");
    // A directory that cannot answer leaves the names alone.
    rig.out.str("");
    directory.answers = false;
    EXPECT_EQ(rig.Run({"printers", "--json"}), 0);
    EXPECT_EQ(rig.out.str().rfind("[{\"name\":\"a\",\"device_uri\":null,\"ipp_address\":null,", 0),
              0u);
}

}  // namespace
}  // namespace tessaline
