#pragma once

#include <cstddef>
#include <optional>
#include <string>

#include "cli/cli_args.h"

namespace tessaline {

// The commands as bits, so that a row can say which of them take an option.
enum CommandBit : unsigned {
    kPrintersCommand = 1u << 0,
    kUpgradeCommand = 1u << 1,
    kFormsCommand = 1u << 2,
    kSettingsCommand = 1u << 3,
    kInventoryCommand = 1u << 4,
};

struct CliCommandRow {
    const char* name;
    CliCommand command;
    CommandBit bit;
    const char* operand;  // the one operand's name, or null when there is none
};

enum class OptionValue {
    None,
    Required,  // the next argument, or after =
    Optional,  // after =, or the next argument when it is all digits
};

// Stores the option's value (none for a flag, or an Optional one left out) in the options.
// Returns the one line that says why the value was refused, or nothing.
using OptionSetter = std::string (*)(CliOptions& options, const std::optional<std::string>& value);

struct CliOptionRow {
    const char* name;       // --printer
    const char* shortName;  // -p, or null
    const char* valueName;  // as --help names the value: NAME, [SECONDS]; null for a flag
    OptionValue value;
    unsigned commands;  // CommandBits of the commands that take it
    OptionSetter set;   // null for the help and the version, which no command takes
    // The --help text. Lines after the first are indented under it by the help; {names} in
    // braces stand for the constants cli_help.cpp fills in.
    const char* help;
};

template <class Row>
struct Rows {
    const Row* first;
    std::size_t count;
    const Row* begin() const { return first; }
    const Row* end() const { return first + count; }
};

Rows<CliCommandRow> CommandRows();
// In the order --help shows them.
Rows<CliOptionRow> OptionRows();
// Taken only in place of a command, which the parser sees to first; shown last.
Rows<CliOptionRow> HelpAndVersionRows();

bool TakesOption(const CliCommandRow& command, const char* option);

}  // namespace tessaline
