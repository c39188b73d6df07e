#include "cli/cli_args.h"

#include "base/decimal.h"
#include "cli/cli_option_table.h"

namespace tessaline {
namespace {

// A forms range such as -5 starts with a dash but is no option.
bool LooksLikeNumber(const std::string& text) {
    return text.size() > 1 && text[0] == '-' && text[1] >= '0' && text[1] <= '9';
}

ParsedArgs Fail(std::string error) {
    ParsedArgs parsed;
    parsed.error = std::move(error);
    return parsed;
}

ParsedArgs Parsed(CliCommand command) {
    ParsedArgs parsed;
    parsed.ok = true;
    parsed.options.command = command;
    return parsed;
}

// --help anywhere before "--", no command at all, --version or help: answered before any
// command is looked at.
std::optional<ParsedArgs> ParseWithoutCommand(const std::vector<std::string>& args) {
    for (const std::string& arg : args) {
        if (arg == "--") {
            break;
        }
        if (arg == "--help" || arg == "-h") {
            return Parsed(CliCommand::Help);
        }
    }
    if (args.empty()) {
        return Fail("no command given");
    }
    if (args[0] == "--version") {
        return args.size() > 1 ? Fail("--version takes nothing more") : Parsed(CliCommand::Version);
    }
    if (args[0] == "help") {
        return Parsed(CliCommand::Help);
    }
    return std::nullopt;
}

const CliCommandRow* FindCommand(const std::string& name) {
    for (const CliCommandRow& row : CommandRows()) {
        if (name == row.name) {
            return &row;
        }
    }
    return nullptr;
}

const CliOptionRow* FindOption(const std::string& arg) {
    for (const CliOptionRow& row : OptionRows()) {
        if (arg == row.name || (row.shortName != nullptr && arg == row.shortName)) {
            return &row;
        }
    }
    return nullptr;
}

// The command's options and operands, from args[1] on.
class OptionReader {
  public:
    OptionReader(const std::vector<std::string>& args, const CliCommandRow& command,
                 CliOptions& options)
        : m_args(args), m_command(command), m_options(options) {}

    // The first refusal, or nothing.
    std::string Read() {
        bool optionsEnded = false;
        for (m_next = 1; m_next < m_args.size();) {
            const std::string& arg = m_args[m_next++];
            if (optionsEnded || arg.empty() || arg[0] != '-' || arg == "-" ||
                (m_command.command == CliCommand::Forms && LooksLikeNumber(arg))) {
                m_operands.push_back(arg);
            } else if (arg == "--") {
                optionsEnded = true;
            } else if (std::string error = ReadOption(arg); !error.empty()) {
                return error;
            }
        }
        return {};
    }

    const std::vector<std::string>& Operands() const { return m_operands; }

  private:
    std::string ReadOption(std::string arg) {
        std::optional<std::string> inlineValue;
        const std::string::size_type equals = arg.find('=');
        if (arg.compare(0, 2, "--") == 0 && equals != std::string::npos) {
            inlineValue = arg.substr(equals + 1);
            arg.erase(equals);
        }
        const CliOptionRow* option = FindOption(arg);
        if (option == nullptr) {
            return "unknown option '" + arg + "'";
        }
        if ((option->commands & m_command.bit) == 0) {
            return std::string(m_command.name) + " does not take " + option->name;
        }
        std::optional<std::string> value = inlineValue;
        switch (option->value) {
            case OptionValue::None:
                if (inlineValue) {
                    return std::string(option->name) + " takes no value";
                }
                break;
            case OptionValue::Required:
                if (!value && m_next == m_args.size()) {
                    return std::string(option->name) + " needs a value";
                }
                value = value ? value : m_args[m_next++];
                break;
            case OptionValue::Optional:
                if (!value && m_next < m_args.size() && AllDecimalDigits(m_args[m_next])) {
                    value = m_args[m_next++];
                }
                break;
        }
        return option->set(m_options, value);
    }

    const std::vector<std::string>& m_args;
    const CliCommandRow& m_command;
    CliOptions& m_options;
    std::size_t m_next = 1;
    std::vector<std::string> m_operands;
};

// The operand in its place, and what the command needs besides.
std::string CheckOperandsAndPrinters(const CliCommandRow& command,
                                     const std::vector<std::string>& operands,
                                     CliOptions& options) {
    const std::string name = command.name;
    if (command.operand == nullptr) {
        if (!operands.empty()) {
            return name + " takes no operand ('" + operands[0] + "')";
        }
    } else if (operands.size() != 1) {
        return name + " takes one " + command.operand +
               (operands.empty() ? "" : ", not " + std::to_string(operands.size()));
    } else if (command.command == CliCommand::Upgrade) {
        options.file = operands[0];
    } else {
        options.range = operands[0];
    }
    if (TakesOption(command, "--printer") && options.printers.empty() && !options.printersFile) {
        return name + " needs --printer NAME or --printers-file FILE";
    }
    if (!options.expectVersion && (options.component || options.verifySeconds)) {
        return std::string(options.component ? "--component" : "--verify-timeout") +
               " needs --expect-version";
    }
    if (options.expectVersion && !options.window.waitSeconds) {
        // A version is only asked after the job has ended.
        options.window.waitSeconds = kDefaultWaitSeconds;
    }
    if (options.json && options.csv) {
        return "--json and --csv cannot be given together";
    }
    if (options.printersFile && *options.printersFile == "-" && !options.yes &&
        options.command == CliCommand::Upgrade) {
        return "--printers-file - reads standard input, which then cannot confirm: give --yes";
    }
    return {};
}

}  // namespace

ParsedArgs ParseCliArgs(const std::vector<std::string>& args) {
    if (std::optional<ParsedArgs> parsed = ParseWithoutCommand(args)) {
        return *parsed;
    }
    const CliCommandRow* command = FindCommand(args[0]);
    if (command == nullptr) {
        return Fail("unknown command '" + args[0] + "'");
    }
    ParsedArgs parsed = Parsed(command->command);
    OptionReader reader(args, *command, parsed.options);
    std::string error = reader.Read();
    if (error.empty()) {
        error = CheckOperandsAndPrinters(*command, reader.Operands(), parsed.options);
    }
    return error.empty() ? parsed : Fail(error);
}

}  // namespace tessaline
