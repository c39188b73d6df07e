#include "cli/cli_args.h"

#include <algorithm>

#include "cli/cli_sha256.h"
#include "base/decimal.h"

namespace tessaline {
namespace {

constexpr std::uint32_t kLongestWaitSeconds = 7 * 24 * 3600;

enum Option : unsigned {
    kPrinter = 1u << 0,
    kYes = 1u << 1,
    kDebug = 1u << 2,
    kWait = 1u << 3,
    kJson = 1u << 4,
    kServer = 1u << 5,
    kPageSize = 1u << 6,
    kOrientation = 1u << 7,
    kSha256 = 1u << 8,
    kPrintersFile = 1u << 9,
    kParallel = 1u << 10,
    kMaxFailures = 1u << 11,
    kEncrypt = 1u << 12,
    kUser = 1u << 13,
    kPasswordFile = 1u << 14,
    kFormat = 1u << 15,
};

// What every command that prints to a fleet takes.
constexpr unsigned kFleet = kPrinter | kPrintersFile | kParallel | kMaxFailures | kJson | kServer |
                            kEncrypt | kUser | kPasswordFile;

struct CommandRow {
    const char* name;
    CliCommand command;
    unsigned options;
    const char* operand;  // the one operand's name, or null when there is none
};

constexpr CommandRow kCommands[] = {
    {"printers", CliCommand::Printers, kJson | kServer | kEncrypt | kUser | kPasswordFile, nullptr},
    {"upgrade", CliCommand::Upgrade, kFleet | kYes | kDebug | kWait | kSha256 | kFormat, "FILE"},
    {"forms", CliCommand::Forms, kFleet, "RANGE"},
    {"settings", CliCommand::Settings, kPageSize | kOrientation | kJson, nullptr},
};

struct OptionRow {
    const char* name;
    const char* shortName;
    Option option;
    bool takesValue;
};

constexpr OptionRow kOptions[] = {
    {"--printer", "-p", kPrinter, true},
    {"--yes", "-y", kYes, false},
    {"--debug", nullptr, kDebug, false},
    {"--wait", nullptr, kWait, false},
    {"--json", nullptr, kJson, false},
    {"--server", nullptr, kServer, true},
    {"--page-size", nullptr, kPageSize, true},
    {"--orientation", nullptr, kOrientation, true},
    {"--sha256", nullptr, kSha256, true},
    {"--printers-file", nullptr, kPrintersFile, true},
    {"--parallel", nullptr, kParallel, true},
    {"--max-failures", nullptr, kMaxFailures, true},
    {"--encrypt", nullptr, kEncrypt, false},
    {"--user", nullptr, kUser, true},
    {"--password-file", nullptr, kPasswordFile, true},
    {"--format", nullptr, kFormat, true},
};

// A forms range such as -5 starts with a dash but is no option.
bool LooksLikeNumber(const std::string& text) {
    return text.size() > 1 && text[0] == '-' && text[1] >= '0' && text[1] <= '9';
}

ParsedArgs Fail(std::string error) {
    ParsedArgs parsed;
    parsed.error = std::move(error);
    return parsed;
}

bool ParseWait(const std::string& text, std::uint32_t* seconds) {
    const std::optional<std::int64_t> value = ParseDecimal(text, 0, kLongestWaitSeconds);
    if (!value) {
        return false;
    }
    *seconds = static_cast<std::uint32_t>(*value);
    return true;
}

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

}  // namespace

ParsedArgs ParseCliArgs(const std::vector<std::string>& args) {
    for (const std::string& arg : args) {
        if (arg == "--") {
            break;
        }
        if (arg == "--help" || arg == "-h") {
            ParsedArgs parsed;
            parsed.ok = true;
            parsed.options.command = CliCommand::Help;
            return parsed;
        }
    }
    if (args.empty()) {
        return Fail("no command given");
    }
    if (args[0] == "--version") {
        if (args.size() > 1) {
            return Fail("--version takes nothing more");
        }
        ParsedArgs parsed;
        parsed.ok = true;
        parsed.options.command = CliCommand::Version;
        return parsed;
    }
    if (args[0] == "help") {
        ParsedArgs parsed;
        parsed.ok = true;
        return parsed;
    }
    const CommandRow* command = nullptr;
    for (const CommandRow& row : kCommands) {
        if (args[0] == row.name) {
            command = &row;
        }
    }
    if (command == nullptr) {
        return Fail("unknown command '" + args[0] + "'");
    }

    ParsedArgs parsed;
    CliOptions& options = parsed.options;
    options.command = command->command;
    std::vector<std::string> operands;
    bool optionsEnded = false;
    for (std::size_t i = 1; i < args.size(); ++i) {
        std::string arg = args[i];
        if (optionsEnded || arg.empty() || arg[0] != '-' || arg == "-" ||
            (command->command == CliCommand::Forms && LooksLikeNumber(arg))) {
            operands.push_back(arg);
            continue;
        }
        if (arg == "--") {
            optionsEnded = true;
            continue;
        }
        std::optional<std::string> inlineValue;
        const std::string::size_type equals = arg.find('=');
        if (arg.compare(0, 2, "--") == 0 && equals != std::string::npos) {
            inlineValue = arg.substr(equals + 1);
            arg.erase(equals);
        }
        const OptionRow* option = nullptr;
        for (const OptionRow& row : kOptions) {
            if (arg == row.name || (row.shortName != nullptr && arg == row.shortName)) {
                option = &row;
            }
        }
        if (option == nullptr) {
            return Fail("unknown option '" + arg + "'");
        }
        if ((command->options & option->option) == 0) {
            return Fail(std::string(command->name) + " does not take " + option->name);
        }
        std::string value;
        if (option->takesValue) {
            if (inlineValue) {
                value = *inlineValue;
            } else if (i + 1 < args.size()) {
                value = args[++i];
            } else {
                return Fail(std::string(option->name) + " needs a value");
            }
        } else if (inlineValue && option->option != kWait) {
            return Fail(std::string(option->name) + " takes no value");
        }
        switch (option->option) {
            case kPrinter:
                if (std::find(options.printers.begin(), options.printers.end(), value) !=
                    options.printers.end()) {
                    return Fail("printer '" + value + "' is named twice");
                }
                options.printers.push_back(value);
                break;
            case kYes:
                options.yes = true;
                break;
            case kDebug:
                options.debug = true;
                break;
            case kJson:
                options.json = true;
                break;
            case kWait: {
                std::uint32_t seconds = kDefaultWaitSeconds;
                if (inlineValue) {
                    if (!ParseWait(*inlineValue, &seconds)) {
                        return Fail("--wait takes a number of seconds up to 604800");
                    }
                } else if (i + 1 < args.size() && AllDecimalDigits(args[i + 1])) {
                    if (!ParseWait(args[++i], &seconds)) {
                        return Fail("--wait takes a number of seconds up to 604800");
                    }
                }
                options.window.waitSeconds = seconds;
                break;
            }
            case kServer:
                if (value.empty()) {
                    return Fail("--server needs HOST[:PORT]");
                }
                options.server = value;
                break;
            case kPageSize:
                options.pageSize = value;
                break;
            case kOrientation:
                options.orientation = value;
                break;
            case kPrintersFile:
                if (value.empty()) {
                    return Fail("--printers-file needs FILE, or - for standard input");
                }
                options.printersFile = value;
                break;
            case kParallel: {
                const std::optional<std::int64_t> n = ParseDecimal(value, 1, kMostParallelJobs);
                if (!n) {
                    return Fail("--parallel takes a number of jobs from 1 to " +
                                std::to_string(kMostParallelJobs));
                }
                options.window.parallel = static_cast<std::uint32_t>(*n);
                break;
            }
            case kMaxFailures: {
                const std::optional<std::int64_t> k = ParseDecimal(value, 1, 0xFFFFFFFF);
                if (!k) {
                    return Fail("--max-failures takes a number of printers from 1 up");
                }
                options.window.maxFailures = static_cast<std::uint32_t>(*k);
                break;
            }
            case kEncrypt:
                options.signIn.encrypt = true;
                break;
            case kUser:
                if (value.empty()) {
                    return Fail("--user needs NAME");
                }
                options.signIn.user = value;
                break;
            case kPasswordFile:
                if (value.empty()) {
                    return Fail("--password-file needs FILE");
                }
                options.signIn.passwordFile = value;
                break;
            case kFormat:
                if (!IsMimeType(value)) {
                    return Fail("--format takes a MIME type such as application/octet-stream");
                }
                options.format = value;
                break;
            case kSha256:
                options.sha256 = ParseSha256Hex(value);
                if (!options.sha256) {
                    return Fail("--sha256 takes the file's SHA-256 as 64 hexadecimal digits");
                }
                break;
        }
    }

    if (command->operand == nullptr) {
        if (!operands.empty()) {
            return Fail(std::string(command->name) + " takes no operand ('" + operands[0] + "')");
        }
    } else if (operands.size() != 1) {
        return Fail(std::string(command->name) + " takes one " + command->operand +
                    (operands.empty() ? "" : ", not " + std::to_string(operands.size())));
    } else if (command->command == CliCommand::Upgrade) {
        options.file = operands[0];
    } else {
        options.range = operands[0];
    }
    if ((command->options & kPrinter) != 0 && options.printers.empty() && !options.printersFile) {
        return Fail(std::string(command->name) + " needs --printer NAME or --printers-file FILE");
    }
    if (options.printersFile && *options.printersFile == "-" && !options.yes &&
        options.command == CliCommand::Upgrade) {
        return Fail(
            "--printers-file - reads standard input, which then cannot confirm: give "
            "--yes");
    }
    parsed.ok = true;
    return parsed;
}

}  // namespace tessaline
