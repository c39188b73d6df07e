#include "cli/cli_help.h"

#include <iterator>
#include <string_view>
#include <utility>
#include <vector>

#include "cli/cli_exit.h"
#include "cli/cli_option_table.h"
#include "cli/cli_report.h"
#include "settings/page_sizes.h"

namespace tessaline {
namespace {

constexpr char kUsageAndCommands[] =
    R"(tessaline-cli: flash upgrades and form tests for printers with a Korvane module

Usage:
  tessaline-cli printers [--json] [--server HOST[:PORT]] [SIGN-IN]
  tessaline-cli upgrade FILE PRINTERS [--yes] [--debug] [--wait [SECONDS]] [--json]
                [--server HOST[:PORT]] [--sha256 HEX] [--format MIME] [FLEET] [SIGN-IN]
                [--expect-version VERSION [--component NAME] [--verify-timeout SECONDS]]
  tessaline-cli forms RANGE PRINTERS [--json] [--server HOST[:PORT]] [FLEET] [SIGN-IN]
  tessaline-cli settings [--page-size INDEX|NAME] [--orientation INDEX|NAME] [--json]
  tessaline-cli inventory PRINTERS [--json | --csv] [--server HOST[:PORT]] [--parallel N]
                [SIGN-IN]
  tessaline-cli --help | --version

  PRINTERS: --printer NAME ... and/or --printers-file FILE
  FLEET:    [--parallel N] [--max-failures K]
  SIGN-IN:  [--encrypt] [--user NAME] [--password-file FILE]

Commands:
  printers  List the printers, one whole name per line.
              tessaline-cli printers
  upgrade   Send FILE whole and unchanged to each printer, after a confirmation.
              tessaline-cli upgrade module.bin --printer laser1 --printer laser2 --wait
              tessaline-cli upgrade module.bin --printers-file site.txt --yes --json
              tessaline-cli upgrade module.bin --printers-file site.txt --yes --expect-version 2.1
  forms     Send one form test job per number of RANGE (7, 4-11), with the stored settings.
              tessaline-cli forms 4-11 --printer laser1
  settings  Show the stored page size and orientation, or store the ones given.
              tessaline-cli settings --page-size A4 --orientation Landscape
  inventory Ask each printer over IPP what it runs: model, firmware versions, state.
              tessaline-cli inventory --printers-file site.txt --csv > site.csv

Options:
)";

constexpr std::size_t kIndent = 26;
constexpr std::size_t kWidth = 92;

// An entry's name without its measurements: "A4 (210 mm x 297 mm)" is given as A4.
std::string_view ShortName(std::string_view name) {
    return name.substr(0, name.find(" ("));
}

// The words of a list option's entries, as --help gives them.
std::vector<std::string_view> PageSizeWords() {
    std::vector<std::string_view> words;
    for (const PageSize& size : kPageSizes) {
        words.push_back(ShortName(size.name));
    }
    return words;
}

std::vector<std::string_view> OrientationWords() {
    return {std::begin(kOrientationNames), std::end(kOrientationNames)};
}

// The constants an option's help names in braces.
std::string Constant(std::string_view name) {
    const std::pair<std::string_view, std::string> constants[] = {
        {"wait", std::to_string(kDefaultWaitSeconds)},
        {"verify", std::to_string(kDefaultVerifySeconds)},
        {"parallel", std::to_string(kDefaultParallelJobs)},
        {"most-parallel", std::to_string(kMostParallelJobs)},
        {"upgrade-format", kUpgradeDocumentFormat},
        {"forms-format", kFormsDocumentFormat},
        {"not-started", kNotStartedStage},
        {"last-page-size", std::to_string(std::size(kPageSizes) - 1)},
        {"last-orientation", std::to_string(std::size(kOrientationNames) - 1)},
    };
    for (const auto& [key, value] : constants) {
        if (key == name) {
            return value;
        }
    }
    return "{" + std::string(name) + "}";
}

// The names after the text so far, each line wrapped under the option's description.
std::string WithNames(std::string text, const std::vector<std::string_view>& names) {
    const std::string::size_type lineStart = text.rfind('\n');
    std::size_t column =
        lineStart == std::string::npos ? text.size() : kIndent + text.size() - lineStart - 1;
    for (std::size_t i = 0; i < names.size(); ++i) {
        std::string word(names[i]);
        word += i + 1 < names.size() ? "," : ".";
        if (column + 1 + word.size() > kWidth) {
            // The help indents every line after the first.
            text += '\n';
            column = kIndent;
        } else {
            text += ' ';
            ++column;
        }
        text += word;
        column += word.size();
    }
    return text;
}

// One option: its names and value in the left column, then its help, every line after the
// first indented under the first. A list of names comes last, as the row's help ends with it.
std::string OptionHelp(const CliOptionRow& row) {
    std::string line = std::string(row.shortName != nullptr ? "  " : "      ") +
                       (row.shortName != nullptr ? std::string(row.shortName) + ", " : "") +
                       row.name +
                       (row.valueName != nullptr ? std::string(" ") + row.valueName : "");
    line += std::string(line.size() + 2 > kIndent ? 2 : kIndent - line.size(), ' ');
    std::string_view help = row.help;
    for (std::string_view::size_type open; (open = help.find('{')) != std::string_view::npos;) {
        const std::string_view::size_type close = help.find('}', open);
        line += help.substr(0, open);
        const std::string_view name = help.substr(open + 1, close - open - 1);
        if (name == "page-sizes" || name == "orientations") {
            // The blank before the list is the wrap's to give: a space or a new line.
            line = WithNames(line.substr(0, line.size() - 1),
                             name == "page-sizes" ? PageSizeWords() : OrientationWords());
        } else {
            line += Constant(name);
        }
        help.remove_prefix(close + 1);
    }
    line += help;
    std::string indented;
    for (const char c : line) {
        indented += c;
        if (c == '\n') {
            indented += std::string(kIndent, ' ');
        }
    }
    return indented + "\n";
}

}  // namespace

std::string CliHelpText() {
    std::string help = kUsageAndCommands;
    for (const CliOptionRow& row : OptionRows()) {
        help += OptionHelp(row);
    }
    for (const CliOptionRow& row : HelpAndVersionRows()) {
        help += OptionHelp(row);
    }
    help += "\nExit codes:\n";
    for (const ExitCodeMeaning& exit : kExitCodeMeanings) {
        help += "  " + std::to_string(exit.code) + "  " + exit.meaning + "\n";
    }
    help += "  With several printers or forms, the highest code wins; Ctrl-C gives " +
            std::to_string(kExitInterrupted) + ".\n";
    return help;
}

}  // namespace tessaline
