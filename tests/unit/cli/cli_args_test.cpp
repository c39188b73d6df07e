#include "cli/cli_args.h"

#include <gtest/gtest.h>

#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace tessaline {
namespace {

using Args = std::vector<std::string>;

// ---- Accepted command lines

struct GoodCase {
    const char* name;
    Args args;
    CliCommand command;
    std::string operand;  // the file or the range
    std::vector<std::string> printers;
    bool yes;
    bool debug;
    bool json;
    std::optional<std::uint32_t> wait;
    std::optional<std::string> server;
    std::optional<std::string> pageSize;
    std::optional<std::string> orientation;
};

const GoodCase kGood[] = {
    {"PrintersPlain",
     {"printers"},
     CliCommand::Printers,
     "",
     {},
     false,
     false,
     false,
     {},
     {},
     {},
     {}},
    {"PrintersJsonServer",
     {"printers", "--json", "--server", "10.0.0.1:631"},
     CliCommand::Printers,
     "",
     {},
     false,
     false,
     true,
     {},
     "10.0.0.1:631",
     {},
     {}},
    {"ServerInline",
     {"printers", "--server=cups.example"},
     CliCommand::Printers,
     "",
     {},
     false,
     false,
     false,
     {},
     "cups.example",
     {},
     {}},
    {"UpgradeOnePrinter",
     {"upgrade", "m.bin", "--printer", "Laser 5"},
     CliCommand::Upgrade,
     "m.bin",
     {"Laser 5"},
     false,
     false,
     false,
     {},
     {},
     {},
     {}},
    {"UpgradeFleetShortOptions",
     {"upgrade", "-p", "a", "m.bin", "-p", "\\\\srv\\b", "-y"},
     CliCommand::Upgrade,
     "m.bin",
     {"a", "\\\\srv\\b"},
     true,
     false,
     false,
     {},
     {},
     {},
     {}},
    {"WaitDefault",
     {"upgrade", "m.bin", "-p", "a", "--wait"},
     CliCommand::Upgrade,
     "m.bin",
     {"a"},
     false,
     false,
     false,
     300u,
     {},
     {},
     {}},
    {"WaitSecondsFollow",
     {"upgrade", "m.bin", "-p", "a", "--wait", "20", "--debug", "--json"},
     CliCommand::Upgrade,
     "m.bin",
     {"a"},
     false,
     true,
     true,
     20u,
     {},
     {},
     {}},
    {"WaitInline",
     {"upgrade", "--wait=0", "m.bin", "-p", "a"},
     CliCommand::Upgrade,
     "m.bin",
     {"a"},
     false,
     false,
     false,
     0u,
     {},
     {},
     {}},
    {"WaitLongestAllowed",
     {"upgrade", "m.bin", "-p", "a", "--wait", "604800"},
     CliCommand::Upgrade,
     "m.bin",
     {"a"},
     false,
     false,
     false,
     604800u,
     {},
     {},
     {}},
    {"WaitLongestAllowedInline",
     {"upgrade", "m.bin", "-p", "a", "--wait=604800"},
     CliCommand::Upgrade,
     "m.bin",
     {"a"},
     false,
     false,
     false,
     604800u,
     {},
     {},
     {}},
    // Not digits: the word after --wait is the file, and the wait takes its default.
    {"WaitThenFile",
     {"upgrade", "-p", "a", "--wait", "m.bin"},
     CliCommand::Upgrade,
     "m.bin",
     {"a"},
     false,
     false,
     false,
     300u,
     {},
     {},
     {}},
    {"FileAfterDoubleDash",
     {"upgrade", "-p", "a", "--", "--odd name"},
     CliCommand::Upgrade,
     "--odd name",
     {"a"},
     false,
     false,
     false,
     {},
     {},
     {},
     {}},
    // A file may be called --help: after -- it is no option, not even the help.
    {"HelpAfterDoubleDashIsTheFile",
     {"upgrade", "-p", "a", "--", "--help"},
     CliCommand::Upgrade,
     "--help",
     {"a"},
     false,
     false,
     false,
     {},
     {},
     {},
     {}},
    // A lone dash is an operand, as it is for other tools.
    {"LoneDashIsTheFile",
     {"upgrade", "-p", "a", "-"},
     CliCommand::Upgrade,
     "-",
     {"a"},
     false,
     false,
     false,
     {},
     {},
     {},
     {}},
    {"LoneDashIsTheRange",
     {"forms", "-", "-p", "a"},
     CliCommand::Forms,
     "-",
     {"a"},
     false,
     false,
     false,
     {},
     {},
     {},
     {}},
    {"FormsRange",
     {"forms", "4-11", "--printer", "a"},
     CliCommand::Forms,
     "4-11",
     {"a"},
     false,
     false,
     false,
     {},
     {},
     {},
     {}},
    {"FormsLeadingDash",
     {"forms", "-5", "-p", "a"},
     CliCommand::Forms,
     "-5",
     {"a"},
     false,
     false,
     false,
     {},
     {},
     {},
     {}},
    {"FormsEmptyRange",
     {"forms", "", "-p", "a"},
     CliCommand::Forms,
     "",
     {"a"},
     false,
     false,
     false,
     {},
     {},
     {},
     {}},
    {"SettingsShow",
     {"settings"},
     CliCommand::Settings,
     "",
     {},
     false,
     false,
     false,
     {},
     {},
     {},
     {}},
    {"SettingsStore",
     {"settings", "--page-size", "A4", "--orientation=Reverse Portrait"},
     CliCommand::Settings,
     "",
     {},
     false,
     false,
     false,
     {},
     {},
     "A4",
     "Reverse Portrait"},
    {"HelpWinsAnywhere",
     {"upgrade", "--bogus", "--help"},
     CliCommand::Help,
     "",
     {},
     false,
     false,
     false,
     {},
     {},
     {},
     {}},
    {"HelpShort", {"-h"}, CliCommand::Help, "", {}, false, false, false, {}, {}, {}, {}},
    {"HelpCommand", {"help"}, CliCommand::Help, "", {}, false, false, false, {}, {}, {}, {}},
    {"Version", {"--version"}, CliCommand::Version, "", {}, false, false, false, {}, {}, {}, {}},
};

void PrintTo(const GoodCase& c, std::ostream* out) {
    *out << c.name;
}

class CliArgsGoodTest : public ::testing::TestWithParam<GoodCase> {};

TEST_P(CliArgsGoodTest, Parses) {
    const GoodCase& c = GetParam();
    const ParsedArgs parsed = ParseCliArgs(c.args);
    ASSERT_TRUE(parsed.ok) << parsed.error;
    const CliOptions& o = parsed.options;
    EXPECT_EQ(o.command, c.command);
    EXPECT_EQ(c.command == CliCommand::Forms ? o.range : o.file, c.operand);
    EXPECT_EQ(o.printers, c.printers);
    EXPECT_EQ(o.yes, c.yes);
    EXPECT_EQ(o.debug, c.debug);
    EXPECT_EQ(o.json, c.json);
    EXPECT_EQ(o.window.waitSeconds, c.wait);
    EXPECT_EQ(o.server, c.server);
    EXPECT_EQ(o.pageSize, c.pageSize);
    EXPECT_EQ(o.orientation, c.orientation);
}

INSTANTIATE_TEST_SUITE_P(Cases, CliArgsGoodTest, ::testing::ValuesIn(kGood),
                         [](const auto& param) { return std::string(param.param.name); });

// ---- The fleet's options

struct FleetCase {
    const char* name;
    Args args;
    std::optional<std::string> printersFile;
    std::uint32_t parallel;
    std::optional<std::uint32_t> maxFailures;
    bool encrypt;
    std::optional<std::string> user;
    std::optional<std::string> passwordFile;
    std::optional<std::string> format;
};

const FleetCase kFleet[] = {
    {"Defaults", {"upgrade", "m.bin", "-p", "a"}, {}, 4, {}, false, {}, {}, {}},
    {"FileWithoutPrinter",
     {"upgrade", "m.bin", "--printers-file", "f"},
     "f",
     4,
     {},
     false,
     {},
     {},
     {}},
    {"StandardInputWithYes",
     {"upgrade", "m.bin", "--printers-file=-", "-y"},
     "-",
     4,
     {},
     false,
     {},
     {},
     {}},
    {"FormsFromStandardInput",
     {"forms", "4", "--printers-file", "-"},
     "-",
     4,
     {},
     false,
     {},
     {},
     {}},
    {"Limits",
     {"upgrade", "m.bin", "-p", "a", "--parallel", "64", "--max-failures=3"},
     {},
     64,
     3,
     false,
     {},
     {},
     {}},
    {"SignIn",
     {"forms", "4", "-p", "a", "--encrypt", "--user", "ops", "--password-file", "pw"},
     {},
     4,
     {},
     true,
     "ops",
     "pw",
     {}},
    {"PrintersSignsIn", {"printers", "--encrypt", "--user=ops"}, {}, 4, {}, true, "ops", {}, {}},
    {"Format",
     {"upgrade", "m.bin", "-p", "a", "--format", "application/vnd.cups-raw"},
     {},
     4,
     {},
     false,
     {},
     {},
     "application/vnd.cups-raw"},
};

// Named by its case, not dumped byte by byte (padding would read as uninitialised).
void PrintTo(const FleetCase& c, std::ostream* out) {
    *out << c.name;
}

class CliArgsFleetTest : public ::testing::TestWithParam<FleetCase> {};

TEST_P(CliArgsFleetTest, Parses) {
    const FleetCase& c = GetParam();
    const ParsedArgs parsed = ParseCliArgs(c.args);
    ASSERT_TRUE(parsed.ok) << parsed.error;
    const CliOptions& o = parsed.options;
    EXPECT_EQ(o.printersFile, c.printersFile);
    EXPECT_EQ(o.window.parallel, c.parallel);
    EXPECT_EQ(o.window.maxFailures, c.maxFailures);
    EXPECT_EQ(o.signIn.encrypt, c.encrypt);
    EXPECT_EQ(o.signIn.user, c.user);
    EXPECT_EQ(o.signIn.passwordFile, c.passwordFile);
    EXPECT_EQ(o.format, c.format);
}

INSTANTIATE_TEST_SUITE_P(Cases, CliArgsFleetTest, ::testing::ValuesIn(kFleet),
                         [](const auto& param) { return std::string(param.param.name); });

// ---- Refused command lines, each with the reason the user is told

struct BadCase {
    const char* name;
    Args args;
    const char* error;
};

const BadCase kBad[] = {
    {"Nothing", {}, "no command given"},
    {"ParallelZero",
     {"upgrade", "m.bin", "-p", "a", "--parallel", "0"},
     "--parallel takes a number of jobs from 1 to 64"},
    {"ParallelTooMany",
     {"upgrade", "m.bin", "-p", "a", "--parallel=65"},
     "--parallel takes a number of jobs from 1 to 64"},
    {"ParallelSigned",
     {"forms", "1", "-p", "a", "--parallel", "+4"},
     "--parallel takes a number of jobs from 1 to 64"},
    {"MaxFailuresZero",
     {"upgrade", "m.bin", "-p", "a", "--max-failures", "0"},
     "--max-failures takes a number of printers from 1 up"},
    {"FormatNotMime",
     {"upgrade", "m.bin", "-p", "a", "--format", "octet-stream"},
     "--format takes a MIME type such as application/octet-stream"},
    {"FormatWithParameter",
     {"upgrade", "m.bin", "-p", "a", "--format", "text/plain;charset=x"},
     "--format takes a MIME type such as application/octet-stream"},
    {"FormatOnForms", {"forms", "1", "-p", "a", "--format", "a/b"}, "forms does not take --format"},
    {"StandardInputCannotConfirm",
     {"upgrade", "m.bin", "--printers-file", "-"},
     "--printers-file - reads standard input, which then cannot confirm: give --yes"},
    {"EmptyPrintersFile",
     {"forms", "1", "--printers-file="},
     "--printers-file needs FILE, or - for standard input"},
    {"ParallelOnSettings", {"settings", "--parallel", "2"}, "settings does not take --parallel"},
    {"UnknownCommand", {"flash"}, "unknown command 'flash'"},
    {"UnknownOption", {"printers", "--verbose"}, "unknown option '--verbose'"},
    {"OptionOfAnotherCommand", {"settings", "--printer", "a"}, "settings does not take --printer"},
    {"YesOnForms", {"forms", "1", "-p", "a", "--yes"}, "forms does not take --yes"},
    {"ServerOnSettings", {"settings", "--server", "h"}, "settings does not take --server"},
    {"UpgradeWithoutPrinter",
     {"upgrade", "m.bin"},
     "upgrade needs --printer NAME or --printers-file FILE"},
    {"UpgradeWithoutFile", {"upgrade", "-p", "a"}, "upgrade takes one FILE"},
    {"UpgradeTwoFiles", {"upgrade", "a.bin", "b.bin", "-p", "a"}, "upgrade takes one FILE, not 2"},
    {"FormsWithoutRange", {"forms", "-p", "a"}, "forms takes one RANGE"},
    {"PrinterWithoutValue", {"upgrade", "m.bin", "--printer"}, "--printer needs a value"},
    {"SamePrinterTwice", {"upgrade", "m.bin", "-p", "a", "-p", "a"}, "printer 'a' is named twice"},
    {"WaitTooLong",
     {"upgrade", "m.bin", "-p", "a", "--wait", "604801"},
     "--wait takes a number of seconds up to 604800"},
    {"WaitInlineNotNumber",
     {"upgrade", "m.bin", "-p", "a", "--wait=soon"},
     "--wait takes a number of seconds up to 604800"},
    {"FlagWithValue", {"upgrade", "m.bin", "-p", "a", "--yes=1"}, "--yes takes no value"},
    {"PrintersOperand", {"printers", "extra"}, "printers takes no operand ('extra')"},
    {"EmptyServer", {"printers", "--server="}, "--server needs HOST[:PORT]"},
    {"VersionWithMore", {"--version", "x"}, "--version takes nothing more"},
};

void PrintTo(const BadCase& c, std::ostream* out) {
    *out << c.name;
}

class CliArgsBadTest : public ::testing::TestWithParam<BadCase> {};

TEST_P(CliArgsBadTest, RefusesWithReason) {
    const BadCase& c = GetParam();
    const ParsedArgs parsed = ParseCliArgs(c.args);
    EXPECT_FALSE(parsed.ok);
    EXPECT_EQ(parsed.error, c.error);
}

INSTANTIATE_TEST_SUITE_P(Cases, CliArgsBadTest, ::testing::ValuesIn(kBad),
                         [](const auto& param) { return std::string(param.param.name); });

}  // namespace
}  // namespace tessaline
