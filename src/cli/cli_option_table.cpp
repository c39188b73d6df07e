#include "cli/cli_option_table.h"

#include <algorithm>
#include <cstring>
#include <iterator>

#include "base/decimal.h"
#include "cli/cli_sha256.h"

namespace tessaline {
namespace {

using Value = std::optional<std::string>;

// A MIME type as IPP takes it: type/subtype of printable ASCII, no blanks, no parameters.
bool IsMimeType(const std::string& text) {
    const std::string::size_type slash = text.find('/');
    if (slash == 0 || slash == std::string::npos || slash + 1 == text.size() ||
        text.find('/', slash + 1) != std::string::npos) {
        return false;
    }
    return std::all_of(text.begin(), text.end(),
                       [](char c) { return c > ' ' && c < 0x7F && c != ';' && c != ','; });
}

std::string SetPrinter(CliOptions& options, const Value& value) {
    if (std::find(options.printers.begin(), options.printers.end(), *value) !=
        options.printers.end()) {
        return "printer '" + *value + "' is named twice";
    }
    options.printers.push_back(*value);
    return {};
}

std::string SetPrintersFile(CliOptions& options, const Value& value) {
    if (value->empty()) {
        return "--printers-file needs FILE, or - for standard input";
    }
    options.printersFile = value;
    return {};
}

std::string SetYes(CliOptions& options, const Value&) {
    options.yes = true;
    return {};
}

std::string SetDebug(CliOptions& options, const Value&) {
    options.debug = true;
    return {};
}

std::string SetWait(CliOptions& options, const Value& value) {
    std::uint32_t seconds = kDefaultWaitSeconds;
    if (value) {
        const std::optional<std::int64_t> given = ParseDecimal(*value, 0, kLongestWaitSeconds);
        if (!given) {
            return "--wait takes a number of seconds up to " + std::to_string(kLongestWaitSeconds);
        }
        seconds = static_cast<std::uint32_t>(*given);
    }
    options.window.waitSeconds = seconds;
    return {};
}

std::string SetJson(CliOptions& options, const Value&) {
    options.json = true;
    return {};
}

std::string SetCsv(CliOptions& options, const Value&) {
    options.csv = true;
    return {};
}

std::string SetServer(CliOptions& options, const Value& value) {
    if (value->empty()) {
        return "--server needs HOST[:PORT]";
    }
    options.server = value;
    return {};
}

std::string SetSha256(CliOptions& options, const Value& value) {
    options.sha256 = ParseSha256Hex(*value);
    if (!options.sha256) {
        return "--sha256 takes the file's SHA-256 as 64 hexadecimal digits";
    }
    return {};
}

std::string SetFormat(CliOptions& options, const Value& value) {
    if (!IsMimeType(*value)) {
        return std::string("--format takes a MIME type such as ") + kUpgradeDocumentFormat;
    }
    options.format = value;
    return {};
}

std::string SetParallel(CliOptions& options, const Value& value) {
    const std::optional<std::int64_t> n = ParseDecimal(*value, 1, kMostParallelJobs);
    if (!n) {
        return "--parallel takes a number of jobs from 1 to " + std::to_string(kMostParallelJobs);
    }
    options.window.parallel = static_cast<std::uint32_t>(*n);
    return {};
}

std::string SetMaxFailures(CliOptions& options, const Value& value) {
    const std::optional<std::int64_t> k = ParseDecimal(*value, 1, 0xFFFFFFFF);
    if (!k) {
        return "--max-failures takes a number of printers from 1 up";
    }
    options.window.maxFailures = static_cast<std::uint32_t>(*k);
    return {};
}

std::string SetEncrypt(CliOptions& options, const Value&) {
    options.signIn.encrypt = true;
    return {};
}

std::string SetUser(CliOptions& options, const Value& value) {
    if (value->empty()) {
        return "--user needs NAME";
    }
    options.signIn.user = value;
    return {};
}

std::string SetPasswordFile(CliOptions& options, const Value& value) {
    if (value->empty()) {
        return "--password-file needs FILE";
    }
    options.signIn.passwordFile = value;
    return {};
}

std::string SetExpectVersion(CliOptions& options, const Value& value) {
    if (value->empty()) {
        return "--expect-version needs VERSION";
    }
    options.expectVersion = value;
    return {};
}

std::string SetComponent(CliOptions& options, const Value& value) {
    if (value->empty()) {
        return "--component needs NAME";
    }
    options.component = value;
    return {};
}

std::string SetVerifyTimeout(CliOptions& options, const Value& value) {
    const std::optional<std::int64_t> seconds = ParseDecimal(*value, 1, kLongestWaitSeconds);
    if (!seconds) {
        return "--verify-timeout takes a number of seconds from 1 to " +
               std::to_string(kLongestWaitSeconds);
    }
    options.verifySeconds = static_cast<std::uint32_t>(*seconds);
    return {};
}

std::string SetPageSize(CliOptions& options, const Value& value) {
    options.pageSize = value;
    return {};
}

std::string SetOrientation(CliOptions& options, const Value& value) {
    options.orientation = value;
    return {};
}

constexpr unsigned kFleet = kUpgradeCommand | kFormsCommand;
constexpr unsigned kPrinterList = kFleet | kInventoryCommand;
constexpr unsigned kSignIn = kPrintersCommand | kPrinterList;

constexpr CliCommandRow kCommands[] = {
    {"printers", CliCommand::Printers, kPrintersCommand, nullptr},
    {"upgrade", CliCommand::Upgrade, kUpgradeCommand, "FILE"},
    {"forms", CliCommand::Forms, kFormsCommand, "RANGE"},
    {"settings", CliCommand::Settings, kSettingsCommand, nullptr},
    {"inventory", CliCommand::Inventory, kInventoryCommand, nullptr},
};

constexpr CliOptionRow kOptions[] = {
    {"--printer", "-p", "NAME", OptionValue::Required, kPrinterList, &SetPrinter,
     "A printer, as listed by 'printers' (on Windows also \\\\server\\printer);\n"
     "natively also ipp://HOST[:PORT]/PATH or ipps://..., a printer\n"
     "reached directly, with no queue."},
    {"--printers-file", nullptr, "FILE", OptionValue::Required, kPrinterList, &SetPrintersFile,
     "One printer or address per line; blank lines and lines\n"
     "starting with # are skipped. - reads standard input (then\n"
     "'upgrade' needs --yes)."},
    {"--yes", "-y", nullptr, OptionValue::None, kUpgradeCommand, &SetYes,
     "Confirm the upgrade without asking; needed when standard input is\n"
     "not a terminal."},
    {"--debug", nullptr, nullptr, OptionValue::None, kUpgradeCommand, &SetDebug,
     "Print the datatype notices (XPS_PASS, RAW) on standard error."},
    {"--wait", nullptr, "[SECONDS]", OptionValue::Optional, kUpgradeCommand, &SetWait,
     "Follow each job in the spooler until it ends (default {wait} seconds)."},
    {"--json", nullptr, nullptr, OptionValue::None, kSignIn | kSettingsCommand, &SetJson,
     "One JSON object per printer (per form with 'forms') and line."},
    {"--csv", nullptr, nullptr, OptionValue::None, kInventoryCommand, &SetCsv,
     "inventory: one CSV record per printer and component, with a header."},
    {"--server", nullptr, "HOST[:PORT]", OptionValue::Required, kSignIn, &SetServer,
     "The CUPS server to use (natively; not on Windows)."},
    {"--sha256", nullptr, "HEX", OptionValue::Required, kUpgradeCommand, &SetSha256,
     "Send nothing unless FILE has this SHA-256 (64 hex digits, as\n"
     "sha256sum prints it); a mismatch is a file error."},
    {"--format", nullptr, "MIME", OptionValue::Required, kUpgradeCommand, &SetFormat,
     "The document format for printers reached by address (default\n"
     "{upgrade-format}; forms send {forms-format})."},
    {"--expect-version", nullptr, "VERSION", OptionValue::Required, kUpgradeCommand,
     &SetExpectVersion,
     "Ask each printer first: one that runs VERSION already, or cannot be\n"
     "asked, is not sent the file. After its job (implies --wait), ask\n"
     "again until it reports VERSION."},
    {"--component", nullptr, "NAME", OptionValue::Required, kUpgradeCommand, &SetComponent,
     "The firmware component VERSION is of (default: the only one)."},
    {"--verify-timeout", nullptr, "SECONDS", OptionValue::Required, kUpgradeCommand,
     &SetVerifyTimeout,
     "How long a printer may take to report VERSION after its job\n"
     "(default {verify})."},
    {"--parallel", nullptr, "N", OptionValue::Required, kPrinterList, &SetParallel,
     "At most N jobs in flight, 1 to {most-parallel} (default {parallel}): the next printer\n"
     "starts as soon as a job ends in the spooler or on the printer.\n"
     "inventory asks at most N printers at once."},
    {"--max-failures", nullptr, "K", OptionValue::Required, kFleet, &SetMaxFailures,
     "Start no new job once K printers have failed; the rest are\n"
     "reported as {not-started}."},
    {"--encrypt", nullptr, nullptr, OptionValue::None, kSignIn, &SetEncrypt,
     "Require TLS to the server and to every printer."},
    {"--user", nullptr, "NAME", OptionValue::Required, kSignIn, &SetUser,
     "Sign in as NAME. A password is asked on the terminal, and only\n"
     "ever sent over an encrypted connection."},
    {"--password-file", nullptr, "FILE", OptionValue::Required, kSignIn, &SetPasswordFile,
     "Without a terminal, the password is the first line of FILE,\n"
     "which only its owner may read."},
    {"--page-size", nullptr, "INDEX|NAME", OptionValue::Required, kSettingsCommand, &SetPageSize,
     "0 to {last-page-size}, or the first words of the entry: {page-sizes}"},
    {"--orientation", nullptr, "INDEX|NAME", OptionValue::Required, kSettingsCommand,
     &SetOrientation, "0 to {last-orientation}, or {orientations}"},
};

constexpr CliOptionRow kHelpAndVersion[] = {
    {"--help", "-h", nullptr, OptionValue::None, 0, nullptr, "Show this help."},
    {"--version", nullptr, nullptr, OptionValue::None, 0, nullptr, "Show the version."},
};

}  // namespace

Rows<CliCommandRow> CommandRows() {
    return {kCommands, std::size(kCommands)};
}

Rows<CliOptionRow> OptionRows() {
    return {kOptions, std::size(kOptions)};
}

Rows<CliOptionRow> HelpAndVersionRows() {
    return {kHelpAndVersion, std::size(kHelpAndVersion)};
}

bool TakesOption(const CliCommandRow& command, const char* option) {
    for (const CliOptionRow& row : OptionRows()) {
        if (std::strcmp(row.name, option) == 0) {
            return (row.commands & command.bit) != 0;
        }
    }
    return false;
}

}  // namespace tessaline
