#include "cli/cli_help.h"

namespace tessaline {

const char* CliHelpText() {
    return R"(tessaline-cli: flash upgrades and form tests for printers with a Korvane module

Usage:
  tessaline-cli printers [--json] [--server HOST[:PORT]]
  tessaline-cli upgrade FILE --printer NAME [--printer NAME ...] [--yes] [--debug]
                [--wait [SECONDS]] [--json] [--server HOST[:PORT]]
  tessaline-cli forms RANGE --printer NAME [--printer NAME ...] [--json] [--server HOST[:PORT]]
  tessaline-cli settings [--page-size INDEX|NAME] [--orientation INDEX|NAME] [--json]
  tessaline-cli --help | --version

Commands:
  printers  List the printers, one whole name per line.
              tessaline-cli printers
  upgrade   Send FILE whole and unchanged to each printer, after a confirmation.
              tessaline-cli upgrade module.bin --printer laser1 --printer laser2 --wait
  forms     Send one form test job per number of RANGE (7, 4-11), with the stored settings.
              tessaline-cli forms 4-11 --printer laser1
  settings  Show the stored page size and orientation, or store the ones given.
              tessaline-cli settings --page-size A4 --orientation Landscape

Options:
  -p, --printer NAME      A printer, as listed by 'printers' (on Windows also \\server\printer).
  -y, --yes               Confirm the upgrade without asking; needed when standard input is
                          not a terminal.
      --debug             Print the datatype notices (XPS_PASS, RAW) on standard error.
      --wait [SECONDS]    Follow each job in the spooler until it ends (default 300 seconds).
      --json              One JSON object per printer (per form with 'forms') and line.
      --server HOST[:PORT]  The CUPS server to use (natively; not on Windows).
      --page-size INDEX|NAME  0 to 11, or the first words of the entry: Executive, Letter,
                          Legal, Ledger, A4, A3, Monarch Letter, Com-10, International DL,
                          International C5, International B5, Maximum.
      --orientation INDEX|NAME  0 to 3, or Portrait, Landscape, Reverse Portrait,
                          Reverse Landscape.
  -h, --help              Show this help.
      --version           Show the version.

Exit codes:
  0  every job complete (and printed, with --wait)
  1  usage
  2  not confirmed
  3  file error
  4  printer not opened
  5  the spooler refused a stage
  6  partial write
  7  with --wait, the job failed or did not finish in time
  With several printers or forms, the highest code wins.
)";
}

}  // namespace tessaline
