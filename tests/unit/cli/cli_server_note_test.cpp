#include "cli/cli_server_note.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fakes/cli_rig.h"

namespace tessaline {
namespace {

// A server that answers or not, counting how often it was asked.
class FakeServer : public ServerSelector {
  public:
    std::string unreachable;  // empty: it answers
    int asked = 0;
    bool UseServer(const std::string&, std::string*) override { return true; }
    std::string UnreachableServer() override {
        ++asked;
        return unreachable;
    }
};

struct ServerRig : CliRig {
    FakeServer server;
    ServerRig() {
        platform.server = &server;
        platform.inIsTerminal = false;
        printers = FakePrinterListSource({"laser1"});
        files.files["m.bin"].content = "payload";
    }
};

TEST(CliServerNote, PrintersFromAServerThatIsNotThereIsAFailureThatNamesIt) {
    for (const bool json : {false, true}) {
        SCOPED_TRACE(json ? "json" : "text");
        ServerRig rig;
        rig.server.unreachable = "127.0.0.1:631";
        std::vector<std::string> args = {"printers"};
        if (json) {
            args.push_back("--json");
        }
        EXPECT_EQ(rig.Run(args), 4);
        EXPECT_EQ(rig.out.str(), "");
        EXPECT_EQ(rig.err.str(),
                  "tessaline-cli: the print server at 127.0.0.1:631 could not be reached; is its "
                  "scheduler running?\n");
        EXPECT_TRUE(rig.printers.sizesAsked.empty());
    }
}

TEST(CliServerNote, PrintersFromAServerThatAnswersAreListed) {
    ServerRig rig;
    EXPECT_EQ(rig.Run({"printers"}), 0);
    EXPECT_EQ(rig.out.str(), "laser1\n");
    EXPECT_EQ(rig.err.str(), "");
    EXPECT_EQ(rig.server.asked, 1);
}

// Asked once for the whole run, after the first printer failed to open.
TEST(CliServerNote, EachPrinterNotOpenedSaysTheServerIsNotThere) {
    ServerRig rig;
    rig.server.unreachable = "/run/cups/cups.sock";
    rig.spooler.failOpen = true;
    EXPECT_EQ(rig.Run({"upgrade", "m.bin", "-p", "a", "-p", "b", "--yes"}), 4);
    const std::string notOpened =
        ": Printer Error: The selected printer could not be opened. The file was not sent to the "
        "printer.\n";
    const std::string note = ": the print server at /run/cups/cups.sock could not be reached\n";
    EXPECT_EQ(rig.err.str(), "a" + notOpened + "a" + note + "b" + notOpened + "b" + note);
    EXPECT_EQ(rig.server.asked, 1);
}

TEST(CliServerNote, APrinterMissingFromAServerThatAnswersGetsNoNote) {
    ServerRig rig;
    rig.spooler.unknownPrinters = {"gone"};
    EXPECT_EQ(rig.Run({"upgrade", "m.bin", "-p", "gone", "-p", "laser1", "--yes"}), 4);
    EXPECT_EQ(rig.err.str(),
              "gone: Printer Error: The selected printer could not be opened. The file was not "
              "sent to the printer.\n");
    EXPECT_EQ(rig.server.asked, 1);
}

TEST(CliServerNote, FormsNotOpenedSayTheServerIsNotThere) {
    ServerRig rig;
    rig.server.unreachable = "[::1]:8631";
    rig.spooler.failOpen = true;
    EXPECT_EQ(rig.Run({"forms", "4-5", "-p", "a"}), 4);
    EXPECT_EQ(rig.err.str(),
              "a: form 4: the printer could not be opened: the print server at [::1]:8631 could "
              "not be reached\n"
              "a: form 5: the printer could not be opened: the print server at [::1]:8631 could "
              "not be reached\n");
    EXPECT_EQ(rig.out.str(), "a: forms 4 to 5: 0 of 2 jobs complete\n");

    ServerRig json;
    json.server.unreachable = "[::1]:8631";
    json.spooler.failOpen = true;
    EXPECT_EQ(json.Run({"forms", "4", "-p", "a", "--json"}), 4);
    EXPECT_EQ(json.err.str(), "a: form 4: the print server at [::1]:8631 could not be reached\n");
}

// The Windows spooler is local: nothing to ask, nothing added.
TEST(CliServerNote, NoServerNoNote) {
    ServerNote note(nullptr);
    RawJobResult notOpened;
    notOpened.stage = RawJobStage::OpenFailed;
    EXPECT_EQ(note.For(notOpened), "");
}

}  // namespace
}  // namespace tessaline
