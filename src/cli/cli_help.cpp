#include "cli/cli_help.h"

#include <iterator>
#include <string_view>
#include <vector>

#include "cli/cli_exit.h"
#include "settings/page_sizes.h"

namespace tessaline {
namespace {

constexpr char kCommandsAndOptions[] =
    R"(tessaline-cli: flash upgrades and form tests for printers with a Korvane module

Usage:
  tessaline-cli printers [--json] [--server HOST[:PORT]] [SIGN-IN]
  tessaline-cli upgrade FILE PRINTERS [--yes] [--debug] [--wait [SECONDS]] [--json]
                [--server HOST[:PORT]] [--sha256 HEX] [--format MIME] [FLEET] [SIGN-IN]
  tessaline-cli forms RANGE PRINTERS [--json] [--server HOST[:PORT]] [FLEET] [SIGN-IN]
  tessaline-cli settings [--page-size INDEX|NAME] [--orientation INDEX|NAME] [--json]
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
  forms     Send one form test job per number of RANGE (7, 4-11), with the stored settings.
              tessaline-cli forms 4-11 --printer laser1
  settings  Show the stored page size and orientation, or store the ones given.
              tessaline-cli settings --page-size A4 --orientation Landscape

Options:
  -p, --printer NAME      A printer, as listed by 'printers' (on Windows also \\server\printer);
                          natively also ipp://HOST[:PORT]/PATH or ipps://..., a printer
                          reached directly, with no queue.
      --printers-file FILE  One printer or address per line; blank lines and lines
                          starting with # are skipped. - reads standard input (then
                          'upgrade' needs --yes).
  -y, --yes               Confirm the upgrade without asking; needed when standard input is
                          not a terminal.
      --debug             Print the datatype notices (XPS_PASS, RAW) on standard error.
      --wait [SECONDS]    Follow each job in the spooler until it ends (default 300 seconds).
      --json              One JSON object per printer (per form with 'forms') and line.
      --server HOST[:PORT]  The CUPS server to use (natively; not on Windows).
      --sha256 HEX        Send nothing unless FILE has this SHA-256 (64 hex digits, as
                          sha256sum prints it); a mismatch is a file error.
      --format MIME       The document format for printers reached by address (default
                          application/octet-stream; forms send application/vnd.hp-PCL).
      --parallel N        At most N jobs in flight, 1 to 64 (default 4): the next printer
                          starts as soon as a job ends in the spooler or on the printer.
      --max-failures K    Start no new job once K printers have failed; the rest are
                          reported as NotStarted.
      --encrypt           Require TLS to the server and to every printer.
      --user NAME         Sign in as NAME. A password is asked on the terminal, and only
                          ever sent over an encrypted connection.
      --password-file FILE  Without a terminal, the password is the first line of FILE,
                          which only its owner may read.
)";

constexpr char kHelpAndVersion[] = R"(  -h, --help              Show this help.
      --version           Show the version.
)";

constexpr std::size_t kIndent = 26;
constexpr std::size_t kWidth = 92;

// An entry's name without its measurements: "A4 (210 mm x 297 mm)" is given as A4.
std::string_view ShortName(std::string_view name) {
    return name.substr(0, name.find(" ("));
}

// The option's line, then the names after it, wrapped under the option's description.
std::string OptionWithNames(std::string line, const std::vector<std::string_view>& names) {
    std::size_t column = line.size();
    for (std::size_t i = 0; i < names.size(); ++i) {
        std::string word(names[i]);
        word += i + 1 < names.size() ? "," : ".";
        if (column + 1 + word.size() > kWidth) {
            line += "\n" + std::string(kIndent, ' ');
            column = kIndent;
        } else {
            line += ' ';
            ++column;
        }
        line += word;
        column += word.size();
    }
    return line + "\n";
}

}  // namespace

std::string CliHelpText() {
    std::vector<std::string_view> pageSizes;
    for (const PageSize& size : kPageSizes) {
        pageSizes.push_back(ShortName(size.name));
    }
    const std::vector<std::string_view> orientations(std::begin(kOrientationNames),
                                                     std::end(kOrientationNames));
    std::string help = kCommandsAndOptions;
    help += OptionWithNames("      --page-size INDEX|NAME  0 to " +
                                std::to_string(std::size(kPageSizes) - 1) +
                                ", or the first words of the entry:",
                            pageSizes);
    help += OptionWithNames("      --orientation INDEX|NAME  0 to " +
                                std::to_string(std::size(kOrientationNames) - 1) + ", or",
                            orientations);
    help += kHelpAndVersion;
    help += "\nExit codes:\n";
    for (const ExitCodeMeaning& exit : kExitCodeMeanings) {
        help += "  " + std::to_string(exit.code) + "  " + exit.meaning + "\n";
    }
    help += "  With several printers or forms, the highest code wins; Ctrl-C gives " +
            std::to_string(kExitInterrupted) + ".\n";
    return help;
}

}  // namespace tessaline
