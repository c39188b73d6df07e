#include "cli/cli_upgrade.h"

#include <gtest/gtest.h>

#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "fakes/cli_rig.h"

namespace tessaline {
namespace {

using Args = std::vector<std::string>;

const std::string kFile = "m.bin";
const std::string kBytes("UPG\0\xff\n", 6);
const std::string kSent =
    "Successfully sent entire file to printer.  File size: 6, Bytes written: 6";
const std::string kConfirm =
    "You have chosen to send the selected file to the Korvane hardware installed on your laser "
    "printer.\nBe sure the file is an Korvane Flash Upgrade File or unpredictable results may "
    "occur.\nThere is no way to undo this operation.  Are you sure you wish to begin the upgrade?";
const std::string kNotTerminal =
    "tessaline-cli: not confirmed: standard input is not a terminal, so nothing was sent; give "
    "--yes to confirm without a terminal\n";
const std::string kNotOpenedLine =
    ": Printer Error: The selected printer could not be opened. The file was not sent to the "
    "printer.\n";
const std::string kXpsRefused =
    ": Printer Error: Failed to open printer using XPS_PASS mode. Trying older RAW mode.\n";
const std::string kRawRefused =
    ": Printer Error: Failed to open printer using older RAW mode. File was not sent to the "
    "printer.\n";
const std::string kStartDocLine =
    ": Printer Error: The printer refused the job when starting the document. The file was not "
    "sent to the printer.\n";

Args Upgrade(const Args& more) {
    Args args = {"upgrade", kFile};
    args.insert(args.end(), more.begin(), more.end());
    return args;
}

struct Case {
    const char* name;
    std::function<void(CliRig&)> setup;
    Args args;
    int exitCode;
    std::string out;
    std::string err;
    std::vector<std::string> printersSent;  // the printer of every job the spooler took
};

const Case kCases[] = {
    {"OnePrinterConfirmedByFlag",
     nullptr,
     Upgrade({"-p", "a", "--yes"}),
     0,
     "a: " + kSent + "\n",
     "",
     {"a"}},
    {"NotTerminalWithoutYes", nullptr, Upgrade({"-p", "a"}), 2, "", kNotTerminal, {}},
    {"NotTerminalJson",
     nullptr,
     Upgrade({"-p", "a", "-p", "b", "--json"}),
     2,
     "{\"printer\":\"a\",\"uri\":null,\"stage\":\"NotConfirmed\",\"size\":null,\"written\":0,"
     "\"datatype\":null,"
     "\"job\":null,\"state\":null,\"state_reasons\":null,\"message\":null,\"seconds\":null}\n{"
     "\"printer\":\"b\",\"uri\":null,\"stage\":\"NotConfirmed\","
     "\"size\":null,\"written\":0,\"datatype\":null,\"job\":null,\"state\":null,\"state_reasons\":"
     "null,\"message\":null,\"seconds\":null}\n",
     kNotTerminal,
     {}},
    {"MissingFile",
     [](CliRig& r) { r.files.files.clear(); },
     Upgrade({"-p", "a", "--yes"}),
     3,
     "",
     "tessaline-cli: File Error: m.bin: The file entered was not found or could not be opened\n",
     {}},
    {"HeldByAnotherProgram",
     [](CliRig& r) { r.files.files[kFile].heldByOtherProgram = true; },
     Upgrade({"-p", "a", "--yes", "--json"}),
     3,
     "{\"printer\":\"a\",\"uri\":null,\"stage\":\"FileError\",\"size\":null,\"written\":0,"
     "\"datatype\":null,"
     "\"job\":null,\"state\":null,\"state_reasons\":null,\"message\":null,\"seconds\":null}\n",
     "tessaline-cli: File Error: m.bin: The file entered was not found or could not be opened\n",
     {}},
    // Scripts find the state key in every object, null when nothing was followed.
    {"MissingFileJsonWait",
     [](CliRig& r) { r.files.files.clear(); },
     Upgrade({"-p", "a", "--yes", "--json", "--wait"}),
     3,
     "{\"printer\":\"a\",\"uri\":null,\"stage\":\"FileError\",\"size\":null,\"written\":0,"
     "\"datatype\":null,"
     "\"job\":null,\"state\":null,\"state_reasons\":null,\"message\":null,\"seconds\":null}\n",
     "tessaline-cli: File Error: m.bin: The file entered was not found or could not be opened\n",
     {}},
    {"NotTerminalJsonWait",
     nullptr,
     Upgrade({"-p", "a", "--json", "--wait"}),
     2,
     "{\"printer\":\"a\",\"uri\":null,\"stage\":\"NotConfirmed\",\"size\":null,\"written\":0,"
     "\"datatype\":"
     "null,\"job\":null,\"state\":null,\"state_reasons\":null,\"message\":null,\"seconds\":null}\n",
     kNotTerminal,
     {}},
    // Refused before any question, even on a terminal.
    {"FourGiBRefusedFirst",
     [](CliRig& r) {
         r.files.files[kFile].length = 0x100000000ull;
         r.platform.inIsTerminal = true;
     },
     Upgrade({"-p", "a"}),
     3,
     "",
     "tessaline-cli: File Error: m.bin: The file is too large to send to the printer. Files must "
     "be smaller than 4 GB.\n",
     {}},
    {"GrewTooLargeWhileAsked",
     [](CliRig& r) {
         r.files.files[kFile].lengthAnswers = {6, 0x100000000ull};
     },
     Upgrade({"-p", "a", "-y"}),
     3,
     "",
     "tessaline-cli: File Error: m.bin: The file is too large to send to the printer. Files must "
     "be smaller than 4 GB.\n",
     {}},
    {"ReadFails",
     [](CliRig& r) { r.files.files[kFile].failReadAt = 0; },
     Upgrade({"-p", "a", "-y"}),
     3,
     "",
     "tessaline-cli: File Error: m.bin: A hardware I/O error was reported while accessing an "
     "unnamed file.\n",
     {}},
    {"EndsEarly",
     [](CliRig& r) { r.files.files[kFile].length = 10; },
     Upgrade({"-p", "a", "-y"}),
     3,
     "",
     "tessaline-cli: File Error: m.bin: The end of an unnamed file was reached before the data "
     "expected.\n",
     {}},
    {"PrinterNotOpened",
     [](CliRig& r) { r.spooler.unknownPrinters = {"a"}; },
     Upgrade({"-p", "a", "-y"}),
     4,
     "",
     "a" + kNotOpenedLine,
     {}},
    {"BothDatatypesRefused",
     [](CliRig& r) {
         r.spooler.refusedDatatypes = {"XPS_PASS", "RAW"};
     },
     Upgrade({"-p", "a", "-y"}),
     5,
     "",
     "a" + kStartDocLine,
     {}},
    {"BothRefusedDebug",
     [](CliRig& r) {
         r.spooler.refusedDatatypes = {"XPS_PASS", "RAW"};
     },
     Upgrade({"-p", "a", "-y", "--debug"}),
     5,
     "",
     "a" + kXpsRefused + "a" + kRawRefused + "a" + kStartDocLine,
     {}},
    {"RawFallbackDebug",
     [](CliRig& r) { r.spooler.refusedDatatypes = {"XPS_PASS"}; },
     Upgrade({"-p", "a", "-y", "--debug"}),
     0,
     "a: " + kSent + "\n",
     "a" + kXpsRefused,
     {"a"}},
    {"XpsAcceptedDebug",
     nullptr,
     Upgrade({"-p", "a", "-y", "--debug"}),
     0,
     "a: " + kSent + "\n",
     "a: Printer Status: Successfully used XPS_PASS mode.\n",
     {"a"}},
    {"StartPageFails",
     [](CliRig& r) { r.spooler.failStartPage = true; },
     Upgrade({"-p", "a", "-y"}),
     5,
     "",
     "a: Printer Error: The printer refused the job when starting the page. The file was not sent "
     "to the printer.\n",
     {"a"}},
    {"WriteFails",
     [](CliRig& r) { r.spooler.failWrite = true; },
     Upgrade({"-p", "a", "-y"}),
     5,
     "",
     "a: Printer Error: The printer failed while the file was being written. The file was not "
     "sent completely to the printer.\n",
     {"a"}},
    {"EndDocFails",
     [](CliRig& r) { r.spooler.failEndDoc = true; },
     Upgrade({"-p", "a", "-y"}),
     5,
     "",
     "a: Printer Error: The printer failed when ending the document. The file was not sent "
     "completely to the printer.\n",
     {"a"}},
    {"ShortWrite",
     [](CliRig& r) {
         r.spooler.shortWrite = true;
         r.spooler.shortWriteCount = 4;
     },
     Upgrade({"-p", "a", "-y"}),
     6,
     "",
     "a: Printer Error: Failed to send all bytes to the printer.  File size: 6, Bytes written: "
     "4\n",
     {"a"}},
    {"FleetOneNotOpened",
     [](CliRig& r) { r.spooler.unknownPrinters = {"b"}; },
     Upgrade({"-p", "a", "-p", "b", "-p", "\\\\srv\\c", "-y"}),
     4,
     "a: " + kSent + "\n\\\\srv\\c: " + kSent +
         "\nPRINTER  STAGE       WRITTEN  JOB  EXIT\n"
         "a        Completed   6/6      1    0\n"
         "b        OpenFailed  0/6      -    4\n"
         "\\\\srv\\c  Completed   6/6      2    0\n",
     "b" + kNotOpenedLine,
     {"a", "\\\\srv\\c"}},
    // A short write everywhere (6) outranks the printer that did not open (4).
    {"HighestCodeWins",
     [](CliRig& r) {
         r.spooler.unknownPrinters = {"a"};
         r.spooler.shortWrite = true;
         r.spooler.shortWriteCount = 0;
     },
     Upgrade({"-p", "a", "-p", "b", "-y", "--json"}),
     6,
     "{\"printer\":\"a\",\"uri\":null,\"stage\":\"OpenFailed\",\"size\":6,\"written\":0,"
     "\"datatype\":null,"
     "\"job\":null,\"state\":null,\"state_reasons\":null,\"message\":null,\"seconds\":0.000}\n"
     "{\"printer\":\"b\",\"uri\":null,\"stage\":\"Completed\",\"size\":6,\"written\":0,"
     "\"datatype\":\"XPS_PASS\",\"job\":1,\"state\":null,\"state_reasons\":null,\"message\":null,"
     "\"seconds\":0.000}\n",
     "",
     {"b"}},
    {"JsonRawFallback",
     [](CliRig& r) { r.spooler.refusedDatatypes = {"XPS_PASS"}; },
     Upgrade({"-p", "a", "-y", "--json", "--debug"}),
     0,
     "{\"printer\":\"a\",\"uri\":null,\"stage\":\"Completed\",\"size\":6,\"written\":6,"
     "\"datatype\":\"RAW\","
     "\"job\":1,\"state\":null,\"state_reasons\":null,\"message\":null,\"seconds\":0.000}\n",
     "a" + kXpsRefused,
     {"a"}},
};

void PrintTo(const Case& c, std::ostream* out) {
    *out << c.name;
}

class CliUpgradeTest : public ::testing::TestWithParam<Case> {};

TEST_P(CliUpgradeTest, ReportsAndExits) {
    const Case& c = GetParam();
    CliRig rig;
    rig.files.files[kFile].content = kBytes;
    if (c.setup) {
        c.setup(rig);
    }
    EXPECT_EQ(rig.Run(c.args), c.exitCode);
    EXPECT_EQ(rig.out.str(), c.out);
    EXPECT_EQ(rig.err.str(), c.err);
    std::vector<std::string> sent;
    for (const FakeSpoolJob& job : rig.spooler.jobs) {
        sent.push_back(job.printer);
        if (job.pagesStarted > 0 && !rig.spooler.failWrite) {
            EXPECT_EQ(job.bytes, kBytes);
        }
    }
    EXPECT_EQ(sent, c.printersSent);
    // One open for the whole fleet, closed at the end.
    EXPECT_LE(rig.files.opened, 1);
    EXPECT_EQ(rig.files.OpenNow(), 0);
    EXPECT_TRUE(rig.spooler.AllHandlesClosedOnce());
    EXPECT_EQ(rig.spooler.handleErrors, std::vector<std::string>{});
}

INSTANTIATE_TEST_SUITE_P(Cases, CliUpgradeTest, ::testing::ValuesIn(kCases),
                         [](const auto& param) { return std::string(param.param.name); });

// ---- The question on a terminal

struct AnswerCase {
    const char* name;
    const char* typed;
    bool sends;
};

const AnswerCase kAnswers[] = {
    {"y", "y\n", true},
    {"Yes", "Yes\n", true},
    {"YesWithBlanksAndCr", "  YES \r\n", true},
    {"n", "n\n", false},
    {"Empty", "\n", false},
    {"EndOfInput", "", false},
    {"YesPlease", "yes please\n", false},
    {"Yeah", "yeah\n", false},
    {"YSpaceEs", "y es\n", false},
    {"Digit", "1\n", false},
};

void PrintTo(const AnswerCase& c, std::ostream* out) {
    *out << c.name;
}

class CliUpgradeAnswerTest : public ::testing::TestWithParam<AnswerCase> {};

TEST_P(CliUpgradeAnswerTest, OnlyYesSends) {
    const AnswerCase& c = GetParam();
    CliRig rig;
    rig.files.files[kFile].content = kBytes;
    rig.platform.inIsTerminal = true;
    rig.in.str(c.typed);
    const int code = rig.Run(Upgrade({"-p", "a", "-p", "b b"}));
    const std::string question =
        kConfirm + "\n\n2 printers:\n  a\n  b b\nContinue? [y/N] " + (*c.typed ? "" : "\n");
    if (c.sends) {
        EXPECT_EQ(code, 0);
        EXPECT_EQ(rig.err.str(), question);
        EXPECT_EQ(rig.spooler.jobs.size(), 2u);
    } else {
        EXPECT_EQ(code, 2);
        EXPECT_EQ(rig.err.str(), question + "tessaline-cli: not confirmed: nothing was sent\n");
        EXPECT_EQ(rig.spooler.calls, std::vector<std::string>{});
        EXPECT_EQ(rig.out.str(), "");
    }
}

TEST(CliUpgradeFleet, ReadsTheFileOnceForEveryPrinter) {
    CliRig rig;
    rig.files.files[kFile].content = kBytes;
    EXPECT_EQ(rig.Run(Upgrade({"-p", "a", "-p", "b", "-p", "c", "-y"})), 0);
    EXPECT_EQ(rig.files.opened, 1);
    EXPECT_EQ(rig.files.lengthQueries, 2);
    EXPECT_EQ(rig.files.readsAsked, std::vector<std::uint32_t>{6});
    EXPECT_EQ(rig.spooler.jobs.size(), 3u);
}

INSTANTIATE_TEST_SUITE_P(Cases, CliUpgradeAnswerTest, ::testing::ValuesIn(kAnswers),
                         [](const auto& param) { return std::string(param.param.name); });

// ---- --wait, over a scripted job monitor and a clock that moves only when the program sleeps

struct WaitCase {
    const char* name;
    std::vector<JobState> script;  // answers for job 1 on printer a
    Args more;
    int exitCode;
    std::string out;
    std::string err;
    int questions;
};

const WaitCase kWaits[] = {
    {"Completes",
     {JobState::Pending, JobState::Printing, JobState::Completed},
     {"--wait"},
     0,
     "a: " + kSent + "\na: job 1 completed\n",
     "",
     3},
    {"Aborted",
     {JobState::Printing, JobState::Aborted},
     {"--wait"},
     7,
     "a: " + kSent + "\n",
     "a: job 1 was aborted by the spooler or the printer\n",
     2},
    {"Cancelled",
     {JobState::Cancelled},
     {"--wait"},
     7,
     "a: " + kSent + "\n",
     "a: job 1 was cancelled\n",
     1},
    {"Stopped",
     {JobState::Stopped},
     {"--wait"},
     7,
     "a: " + kSent + "\n",
     "a: job 1 was stopped by its queue\n",
     1},
    // The spooler keeps no record: asked once, never claimed printed.
    {"UnknownIsNotPrinted",
     {},
     {"--wait"},
     7,
     "a: " + kSent + "\n",
     "a: the spooler cannot tell what became of job 1; it was handed over whole, but whether it "
     "printed is not known\n",
     1},
    // Asked at 0, 0.5, 1, 1.5 and 2 s, then given up.
    {"TimesOut",
     {JobState::Pending},
     {"--wait", "2"},
     7,
     "a: " + kSent + "\n",
     "a: job 1 did not finish within 2 seconds (still pending)\n",
     20},
    {"ZeroSecondsAsksOnce",
     {JobState::Printing},
     {"--wait", "0"},
     7,
     "a: " + kSent + "\n",
     "a: job 1 did not finish within 0 seconds (still printing)\n",
     1},
    {"JsonState",
     {JobState::Completed},
     {"--wait", "--json"},
     0,
     "{\"printer\":\"a\",\"uri\":null,\"stage\":\"Completed\",\"size\":6,\"written\":6,"
     "\"datatype\":\"XPS_"
     "PASS\","
     "\"job\":1,\"state\":\"Completed\",\"state_reasons\":[],\"message\":null,\"seconds\":0.000}\n",
     "",
     1},
};

void PrintTo(const WaitCase& c, std::ostream* out) {
    *out << c.name;
}

class CliUpgradeWaitTest : public ::testing::TestWithParam<WaitCase> {};

TEST_P(CliUpgradeWaitTest, FollowsTheJob) {
    const WaitCase& c = GetParam();
    CliRig rig;
    rig.files.files[kFile].content = kBytes;
    if (!c.script.empty()) {
        rig.jobs.scripts[{"a", 1}] = {c.script.begin(), c.script.end()};
    }
    Args args = Upgrade({"-p", "a", "-y"});
    args.insert(args.end(), c.more.begin(), c.more.end());
    EXPECT_EQ(rig.Run(args), c.exitCode);
    EXPECT_EQ(rig.out.str(), c.out);
    EXPECT_EQ(rig.err.str(), c.err);
    EXPECT_EQ(rig.jobs.calls, std::vector<std::string>(c.questions, "State(a,1)"));
}

INSTANTIATE_TEST_SUITE_P(Cases, CliUpgradeWaitTest, ::testing::ValuesIn(kWaits),
                         [](const auto& param) { return std::string(param.param.name); });

TEST(CliUpgradeWait, FollowsOnlyJobsHandedOverWhole) {
    CliRig rig;
    rig.files.files[kFile].content = kBytes;
    rig.spooler.unknownPrinters = {"b"};
    rig.jobs.scripts[{"a", 1}] = {JobState::Completed};
    EXPECT_EQ(rig.Run(Upgrade({"-p", "a", "-p", "b", "-y", "--wait", "--json"})), 4);
    EXPECT_EQ(rig.jobs.calls, std::vector<std::string>{"State(a,1)"});
    // In the order they end: b at once, a once followed.
    EXPECT_EQ(
        rig.out.str(),
        "{\"printer\":\"b\",\"uri\":null,\"stage\":\"OpenFailed\",\"size\":6,\"written\":0,"
        "\"datatype\":null,\"job\":null,\"state\":null,\"state_reasons\":null,\"message\":null,"
        "\"seconds\":0.000}\n"
        "{\"printer\":\"a\",\"uri\":null,\"stage\":\"Completed\",\"size\":6,\"written\":6,"
        "\"datatype\":\"XPS_PASS\",\"job\":1,\"state\":\"Completed\",\"state_reasons\":[],"
        "\"message\":null,\"seconds\":0.000}\n");
}

// ---- Progress: only on a terminal, for 1 MiB or more, without --json, where it can be watched

struct ProgressCase {
    const char* name;
    std::uint32_t size;
    bool errTerminal;
    bool json;
    std::vector<bool> sinks;
};

const ProgressCase kProgress[] = {
    {"OneMiBOnTerminal", 1024 * 1024, true, false, {true, false}},
    {"JustBelow", 1024 * 1024 - 1, true, false, {}},
    {"Pipe", 1024 * 1024, false, false, {}},
    {"Json", 1024 * 1024, true, true, {}},
};

void PrintTo(const ProgressCase& c, std::ostream* out) {
    *out << c.name;
}

class CliUpgradeProgressTest : public ::testing::TestWithParam<ProgressCase> {};

TEST_P(CliUpgradeProgressTest, HooksTheWriteOnlyWhenShown) {
    const ProgressCase& c = GetParam();
    CliRig rig;
    FakeProgressSource source;
    rig.platform.progress = &source;
    rig.platform.errIsTerminal = c.errTerminal;
    rig.files.files[kFile].content.assign(c.size, 'x');
    Args args = Upgrade({"-p", "a", "-y"});
    if (c.json) {
        args.push_back("--json");
    }
    EXPECT_EQ(rig.Run(args), 0);
    EXPECT_EQ(source.sinks, c.sinks);
    EXPECT_EQ(source.sink, nullptr);
}

INSTANTIATE_TEST_SUITE_P(Cases, CliUpgradeProgressTest, ::testing::ValuesIn(kProgress),
                         [](const auto& param) { return std::string(param.param.name); });

}  // namespace
}  // namespace tessaline
