#include "cli/fleet/cli_fleet.h"

#include "cli/fleet/cli_printers_file.h"
#include "base/printer_address.h"

namespace tessaline {

bool PrepareFleet(CliOptions& options, CliPlatform& platform, std::string* error) {
    if (options.printersFile) {
        const PrintersFile file =
            ReadPrintersFile(platform.files, platform.in, *options.printersFile, options.printers);
        if (!file.ok) {
            *error = file.error;
            return false;
        }
        options.printers.insert(options.printers.end(), file.printers.begin(), file.printers.end());
    }
    if (!platform.reachesPrintersByAddress) {
        for (const std::string& printer : options.printers) {
            if (IsPrinterAddress(printer)) {
                *error = "'" + printer +
                         "' is an address; here printers are reached through the spooler: name "
                         "a print server's printer as \\\\server\\printer";
                return false;
            }
        }
    }
    return true;
}

bool SignInAsAsked(const CliOptions& options, CliPlatform& platform, std::string* error) {
    const SignInOptions& signIn = options.signIn;
    if (platform.signIn == nullptr) {
        if (signIn.encrypt || signIn.user || signIn.passwordFile) {
            *error = std::string(signIn.encrypt ? "--encrypt"
                                 : signIn.user  ? "--user"
                                                : "--password-file") +
                     " is not used here: the spooler signs in as the user who runs the program";
            return false;
        }
        return true;
    }
    SignInOptions withTerminal = signIn;
    withTerminal.terminal = platform.inIsTerminal;
    return platform.signIn->Configure(withTerminal, error);
}

}  // namespace tessaline
