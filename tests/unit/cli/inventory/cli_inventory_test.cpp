#include "cli/inventory/cli_inventory.h"

#include <gtest/gtest.h>

#include <atomic>

#include <string>
#include <vector>

#include "cli/cli_exit.h"
#include "fakes/cli_rig.h"

namespace tessaline {
namespace {

using Args = std::vector<std::string>;

class CountingThreads : public ThreadSetup {
  public:
    void PrepareThisThread() override {}
};

class StopFlag : public StopSignal {
  public:
    std::atomic<bool> stop{false};
    bool StopRequested() const override { return stop; }
};

// two: two components, one with patches; bare: none; gone: cannot be asked; evil: hostile text.
void SmallFleet(CliRig& rig) {
    rig.platform.facts = &rig.facts;
    PrinterAnswer two =
        FactsAnswer("ipp://10.0.0.2/ipp/print", {{"Main", "2.0.3"}, {"Fax", "1.1"}});
    two.facts->firmware.patches = {"p7", "p1"};
    two.facts->stateReasons = {"media-low-report"};
    rig.facts.answers["two"] = two;
    PrinterAnswer bare = FactsAnswer("ipp://10.0.0.3/ipp/print", {}, "stopped");
    bare.facts->makeAndModel.reset();
    bare.facts->upTime.reset();
    rig.facts.answers["bare"] = bare;
    rig.facts.answers["evil"] =
        FactsAnswer("ipp://10.0.0.4/", {{"=HYPERLINK(\"x\")", "9\x1b[2J"}}, "idle\x1b]0;t\x07");
}

Args Inventory(const Args& more) {
    Args args = {"inventory", "-p", "two", "-p", "bare", "-p", "gone", "-p", "evil"};
    args.insert(args.end(), more.begin(), more.end());
    return args;
}

constexpr char kNoAddress[] = "no IPP address: the printer cannot be asked";

struct OutputCase {
    const char* name;
    Args more;
    std::string out;
};

const OutputCase kOutputCases[] = {
    {"Table",
     {},
     "PRINTER  COMPONENT        VERSION     STATE                    UP     ASKED AT / MESSAGE\n"
     "two      Main             2.0.3 (p7)  idle (media-low-report)  100 s  "
     "ipp://10.0.0.2/ipp/print\n"
     "two      Fax              1.1 (p1)    idle (media-low-report)  100 s  "
     "ipp://10.0.0.2/ipp/print\n"
     "bare     -                -           stopped                  -      "
     "ipp://10.0.0.3/ipp/print\n"
     "gone     -                -           -                        -      " +
         std::string(kNoAddress) +
         "\n"
         "evil     =HYPERLINK(\"x\")  9\\x1b[2J    idle\\x1b]0;t\\x07         100 s  "
         "ipp://10.0.0.4/\n"},
    {"Json",
     {"--json"},
     "{\"printer\":\"two\",\"asked_at\":\"ipp://10.0.0.2/ipp/print\",\"make_and_model\":\"Laser "
     "9\",\"components\":[{\"name\":\"Main\",\"version\":\"2.0.3\",\"patches\":\"p7\"},{\"name\":"
     "\"Fax\",\"version\":\"1.1\",\"patches\":\"p1\"}],\"state\":\"idle\",\"state_reasons\":["
     "\"media-low-report\"],\"up_time\":100,\"message\":null}\n"
     "{\"printer\":\"bare\",\"asked_at\":\"ipp://10.0.0.3/ipp/print\",\"make_and_model\":null,"
     "\"components\":[],\"state\":\"stopped\",\"state_reasons\":[],\"up_time\":null,\"message\":"
     "null}\n"
     "{\"printer\":\"gone\",\"asked_at\":null,\"make_and_model\":null,\"components\":null,"
     "\"state\":null,\"state_reasons\":null,\"up_time\":null,\"message\":\"" +
         std::string(kNoAddress) +
         "\"}\n"
         "{\"printer\":\"evil\",\"asked_at\":\"ipp://10.0.0.4/\",\"make_and_model\":\"Laser 9\","
         "\"components\":[{\"name\":\"=HYPERLINK(\\\"x\\\")\",\"version\":\"9\\u001b[2J\","
         "\"patches\":null}],\"state\":\"idle\\u001b]0;t\\u0007\",\"state_reasons\":[],\"up_time\":"
         "100,\"message\":null}\n"},
    {"Csv",
     {"--csv"},
     "printer,asked_at,make_and_model,component,version,patches,state,message\r\n"
     "two,ipp://10.0.0.2/ipp/print,Laser 9,Main,2.0.3,p7,idle,\r\n"
     "two,ipp://10.0.0.2/ipp/print,Laser 9,Fax,1.1,p1,idle,\r\n"
     "bare,ipp://10.0.0.3/ipp/print,,,,,stopped,\r\n"
     "gone,,,,,,," +
         std::string(kNoAddress) +
         "\r\n"
         "evil,ipp://10.0.0.4/,Laser 9,\"'=HYPERLINK(\"\"x\"\")\",9\x1b[2J,,idle\x1b]0;t\x07,\r\n"},
};

TEST(CliInventory, SaysEachPrinterAsAsked) {
    for (const OutputCase& c : kOutputCases) {
        for (const bool sideBySide : {false, true}) {
            CliRig rig;
            SmallFleet(rig);
            CountingThreads threads;
            rig.platform.threads = sideBySide ? &threads : nullptr;
            Args args = Inventory(c.more);
            // Side by side the asks end in any order: one at a time keeps the lines in order.
            args.insert(args.end(), {"--parallel", sideBySide ? "4" : "1"});
            EXPECT_EQ(rig.Run(args), kExitPrinterNotOpened) << c.name;
            EXPECT_EQ(rig.facts.Asked().size(), 4u) << c.name;
            if (!sideBySide || std::string(c.name) == "Table") {
                EXPECT_EQ(rig.out.str(), c.out) << c.name;
            }
            EXPECT_EQ(rig.err.str(), "") << c.name;
            EXPECT_TRUE(rig.spooler.calls.empty()) << c.name;
        }
    }
}

struct ExitCase {
    const char* name;
    Args args;
    bool facts;  // the platform can ask printers
    int exitCode;
    std::string err;
};

const ExitCase kExitCases[] = {
    {"EveryPrinterAnswered", {"inventory", "-p", "two", "-p", "bare"}, true, kExitOk, ""},
    {"OneCouldNotBeAsked", {"inventory", "-p", "two", "-p", "gone"}, true, 4, ""},
    {"NoPrinterGiven",
     {"inventory"},
     true,
     kExitUsage,
     "tessaline-cli: inventory needs --printer NAME or --printers-file FILE\n"},
    {"JsonAndCsv",
     {"inventory", "-p", "two", "--json", "--csv"},
     true,
     kExitUsage,
     "tessaline-cli: --json and --csv cannot be given together\n"},
    {"CsvIsInventorysOnly",
     {"printers", "--csv"},
     true,
     kExitUsage,
     "tessaline-cli: printers does not take --csv\n"},
    {"PrintersCannotBeAskedHere",
     {"inventory", "-p", "two"},
     false,
     kExitUsage,
     "tessaline-cli: the printers' versions are asked over IPP by the Linux command line; they "
     "cannot be asked here\n"},
};

TEST(CliInventory, ExitCodes) {
    for (const ExitCase& c : kExitCases) {
        CliRig rig;
        SmallFleet(rig);
        rig.platform.facts = c.facts ? &rig.facts : nullptr;
        EXPECT_EQ(rig.Run(c.args), c.exitCode) << c.name;
        const std::string err = rig.err.str();
        EXPECT_EQ(err.substr(0, err.find("Try 'tessaline-cli")), c.err) << c.name;
    }
}

// Ctrl-C: no further ask starts; the printers not asked are still said, and the run gives 130.
TEST(CliInventory, CtrlCStopsNewAsks) {
    CliRig rig;
    SmallFleet(rig);
    StopFlag stop;
    rig.platform.stop = &stop;
    rig.facts.onAsk = [&](const std::string& printer) {
        stop.stop = stop.stop || printer == "bare";
    };
    EXPECT_EQ(rig.Run(Inventory({"--json", "--parallel", "1"})), kExitInterrupted);
    EXPECT_EQ(rig.facts.Asked(), (std::vector<std::string>{"two", "bare"}));
    const std::string out = rig.out.str();
    EXPECT_NE(out.find("{\"printer\":\"gone\",\"asked_at\":null,\"make_and_model\":null,"
                       "\"components\":null,\"state\":null,\"state_reasons\":null,\"up_time\":null,"
                       "\"message\":\"not asked: the run stopped before it\"}\n"),
              std::string::npos)
        << out;
    EXPECT_NE(out.find("\"printer\":\"evil\",\"asked_at\":null"), std::string::npos) << out;
}

}  // namespace
}  // namespace tessaline
