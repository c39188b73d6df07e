// The fleet's options through the whole command line, over the fakes.
#include <gtest/gtest.h>

#include <ostream>

#include "cli/cli_exit.h"
#include "fakes/cli_rig.h"

namespace tessaline {
namespace {

using Args = std::vector<std::string>;

struct FleetRig : CliRig {
    FleetRig() { files.files["m.bin"].content = "UPG"; }
};

class RecordingFormats : public DocumentFormatChoice {
  public:
    std::vector<std::string> used;
    void UseDocumentFormat(const std::string& mimeType) override { used.push_back(mimeType); }
};

class ScriptedNotes : public PrinterNotes {
  public:
    std::map<std::string, std::string> notes;
    std::string TakeNote(const std::string& printer) override {
        std::string note = notes[printer];
        notes.erase(printer);
        return note;
    }
    bool TakeAnswerLost(const std::string&) override { return false; }
};

class RecordingSignIn : public SignIn {
  public:
    std::vector<SignInOptions> configured;
    std::string refuse;
    bool Configure(const SignInOptions& options, std::string* why) override {
        configured.push_back(options);
        *why = refuse;
        return refuse.empty();
    }
};

class StopAfterOpens : public StopSignal {
  public:
    explicit StopAfterOpens(const FakeSpooler& spooler, std::size_t opens)
        : m_spooler(spooler), m_opens(opens) {}
    bool StopRequested() const override {
        return static_cast<std::size_t>(m_spooler.OpenCount()) >= m_opens;
    }

  private:
    const FakeSpooler& m_spooler;
    std::size_t m_opens;
};

// ---- Where printers by address cannot be reached, and sign-in means nothing

struct RefusalCase {
    const char* name;
    Args args;
    const char* error;
};

const RefusalCase kRefusals[] = {
    {"AddressOnWindows",
     {"upgrade", "m.bin", "-p", "ipp://10.0.0.5/ipp/print", "-y"},
     "'ipp://10.0.0.5/ipp/print' is an address; here printers are reached through the spooler: "
     "name a print server's printer as \\\\server\\printer"},
    {"SecureAddressInFile",
     {"forms", "4", "--printers-file", "site.txt"},
     "'ipps://p2:631/ipp/print' is an address; here printers are reached through the spooler: "
     "name a print server's printer as \\\\server\\printer"},
    {"EncryptOnWindows",
     {"printers", "--encrypt"},
     "--encrypt is not used here: the spooler signs in as the user who runs the program"},
    {"PasswordFileOnWindows",
     {"forms", "4", "-p", "a", "--password-file", "pw"},
     "--password-file is not used here: the spooler signs in as the user who runs the program"},
    {"RepeatAcrossFileAndOption",
     {"forms", "4", "-p", "laser1", "--printers-file", "site.txt"},
     "site.txt: line 2 names 'laser1' again, as --printer did"},
};

// Named by its case, not dumped byte by byte (padding would read as uninitialised).
void PrintTo(const RefusalCase& c, std::ostream* out) {
    *out << c.name;
}

class FleetRefusalTest : public ::testing::TestWithParam<RefusalCase> {};

TEST_P(FleetRefusalTest, IsAUsageErrorAndSendsNothing) {
    FleetRig rig;
    rig.files.files["site.txt"].content = "# site\nlaser1\nipps://p2:631/ipp/print\n";
    EXPECT_EQ(rig.Run(GetParam().args), kExitUsage);
    EXPECT_EQ(rig.err.str(), "tessaline-cli: " + std::string(GetParam().error) +
                                 "\nTry 'tessaline-cli --help'.\n");
    EXPECT_TRUE(rig.spooler.calls.empty());
}

INSTANTIATE_TEST_SUITE_P(Cases, FleetRefusalTest, ::testing::ValuesIn(kRefusals),
                         [](const auto& param) { return std::string(param.param.name); });

// ---- The platform's side: format, notes, sign-in

TEST(CliFleet, EachCommandChoosesItsDocumentFormat) {
    for (const auto& [args, format] : std::vector<std::pair<Args, std::string>>{
             {{"upgrade", "m.bin", "-p", "ipp://h/ipp/print", "-y"}, "application/octet-stream"},
             {{"upgrade", "m.bin", "-p", "a", "-y", "--format", "application/x-kmf"},
              "application/x-kmf"},
             {{"forms", "4", "-p", "ipps://h/ipp/print"}, "application/vnd.hp-PCL"}}) {
        FleetRig rig;
        rig.platform.reachesPrintersByAddress = true;
        RecordingFormats formats;
        rig.platform.formats = &formats;
        EXPECT_EQ(rig.Run(args), kExitOk) << rig.err.str();
        EXPECT_EQ(formats.used, std::vector<std::string>{format});
    }
}

TEST(CliFleet, SignInGetsTheOptionsAndWhetherATerminalCanAsk) {
    FleetRig rig;
    RecordingSignIn signIn;
    rig.platform.signIn = &signIn;
    rig.platform.inIsTerminal = true;
    EXPECT_EQ(rig.Run({"forms", "4", "-p", "a", "--encrypt", "--user", "ops"}), kExitOk);
    ASSERT_EQ(signIn.configured.size(), 1u);
    EXPECT_TRUE(signIn.configured[0].encrypt);
    EXPECT_EQ(signIn.configured[0].user, std::optional<std::string>("ops"));
    EXPECT_TRUE(signIn.configured[0].terminal);

    signIn.refuse = "--password-file pw: others can read it";
    EXPECT_EQ(rig.Run({"forms", "4", "-p", "a", "--password-file", "pw"}), kExitUsage);
    EXPECT_EQ(rig.err.str(),
              "tessaline-cli: --password-file pw: others can read it\n"
              "Try 'tessaline-cli --help'.\n");
    EXPECT_EQ(rig.spooler.calls.size(), 7u);  // only the first run's one job
}

TEST(CliFleet, APrintersNoteFollowsItsOutcome) {
    FleetRig rig;
    ScriptedNotes notes;
    notes.notes["ipp://h:8631/ipp/print"] = "the printer at h:8631 could not be reached";
    rig.platform.notes = &notes;
    rig.platform.reachesPrintersByAddress = true;
    rig.spooler.unknownPrinters = {"ipp://h:8631/ipp/print"};
    EXPECT_EQ(rig.Run({"upgrade", "m.bin", "-p", "ipp://h:8631/ipp/print", "-y"}),
              kExitPrinterNotOpened);
    EXPECT_EQ(rig.err.str(),
              "ipp://h:8631/ipp/print: Printer Error: The selected printer could not be opened. "
              "The file was not sent to the printer.\n"
              "ipp://h:8631/ipp/print: the printer at h:8631 could not be reached\n");
    rig.err.str("");
    notes.notes["ipp://h:8631/ipp/print"] = "the printer at h:8631 could not be reached";
    EXPECT_EQ(rig.Run({"upgrade", "m.bin", "-p", "ipp://h:8631/ipp/print", "-y", "--json"}),
              kExitPrinterNotOpened);
    EXPECT_EQ(rig.out.str(),
              "{\"printer\":\"ipp://h:8631/ipp/print\",\"uri\":\"ipp://h:8631/ipp/print\","
              "\"stage\":\"OpenFailed\",\"size\":3,\"written\":0,\"datatype\":null,\"job\":null,"
              "\"state\":null,\"state_reasons\":null,\"message\":\"the printer at h:8631 could "
              "not be reached\",\"seconds\":0.000}\n");
}

// ---- Many printers: the file, the question, stopping early

TEST(CliFleet, TheQuestionCountsThePrintersAndNamesTheFirstFive) {
    FleetRig rig;
    std::string site;
    for (int i = 1; i <= 7; ++i) {
        site += "laser" + std::to_string(i) + "\n";
    }
    rig.files.files["site.txt"].content = site;
    rig.platform.inIsTerminal = true;
    rig.in.str("n\n");
    EXPECT_EQ(rig.Run({"upgrade", "m.bin", "--printers-file", "site.txt"}), kExitNotConfirmed);
    const std::string err = rig.err.str();
    EXPECT_NE(err.find("\n\n7 printers:\n  laser1\n  laser2\n  laser3\n  laser4\n  laser5\n"
                       "  ... and 2 more\nContinue? [y/N] "),
              std::string::npos)
        << err;
}

TEST(CliFleet, MaxFailuresLeavesTheRestNotStarted) {
    FleetRig rig;
    rig.spooler.unknownPrinters = {"a", "b"};
    EXPECT_EQ(rig.Run({"upgrade", "m.bin", "-p", "a", "-p", "b", "-p", "c", "-y", "--max-failures",
                       "2", "--parallel", "1"}),
              kExitNotStarted);
    EXPECT_NE(rig.err.str().find("c: not started: the run stopped before it\n"), std::string::npos);
    EXPECT_NE(rig.out.str().find("c        NotStarted  0/3      -    9\n"), std::string::npos)
        << rig.out.str();
    EXPECT_EQ(rig.spooler.jobs.size(), 0u);
}

TEST(CliFleet, CtrlCStopsNewJobsReportsEachPrinterAndExits130) {
    FleetRig rig;
    StopAfterOpens stop(rig.spooler, 1);
    rig.platform.stop = &stop;
    EXPECT_EQ(rig.Run({"upgrade", "m.bin", "-p", "a", "-p", "b", "-y", "--json"}),
              kExitInterrupted);
    // a was handed over before the stop was seen; b never started.
    EXPECT_EQ(rig.spooler.jobs.size(), 1u);
    EXPECT_EQ(rig.out.str(),
              "{\"printer\":\"a\",\"uri\":null,\"stage\":\"Completed\",\"size\":3,\"written\":3,"
              "\"datatype\":\"XPS_PASS\",\"job\":1,\"state\":null,\"state_reasons\":null,"
              "\"message\":null,\"seconds\":0.000}\n"
              "{\"printer\":\"b\",\"uri\":null,\"stage\":\"NotStarted\",\"size\":3,\"written\":0,"
              "\"datatype\":null,\"job\":null,\"state\":null,\"state_reasons\":null,"
              "\"message\":null,\"seconds\":null}\n");
}

TEST(CliFleet, FormsRunOverAPrintersFileFromStandardInput) {
    FleetRig rig;
    rig.in.str("a\r\n\n# spare\nb\n");
    EXPECT_EQ(rig.Run({"forms", "3-4", "--printers-file", "-"}), kExitOk);
    EXPECT_EQ(rig.out.str(),
              "a: forms 3 to 4: 2 of 2 jobs complete\n"
              "b: forms 3 to 4: 2 of 2 jobs complete\n");
    ASSERT_EQ(rig.spooler.jobs.size(), 4u);
    EXPECT_EQ(rig.spooler.jobs[2].printer, "b");
}

TEST(CliFleet, AFormsRunOfOverAMillionJobsIsRefusedBeforeAnyIsSent) {
    FleetRig rig;
    EXPECT_EQ(rig.Run({"forms", "1-500001", "-p", "a", "-p", "b"}), kExitUsage);
    EXPECT_EQ(rig.err.str(),
              "tessaline-cli: forms 1-500001 to 2 printer(s) makes 1000002 jobs, more than 1000000 "
              "in one run; nothing was sent\nTry 'tessaline-cli --help'.\n");
    EXPECT_TRUE(rig.spooler.calls.empty());
}

}  // namespace
}  // namespace tessaline
