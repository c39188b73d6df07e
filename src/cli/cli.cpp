#include <ostream>

#include "cli/cli_args.h"
#include "cli/fleet/cli_fleet.h"
#include "cli/cli_forms.h"
#include "cli/cli_help.h"
#include "cli/cli_platform.h"
#include "cli/cli_printers.h"
#include "cli/cli_exit.h"
#include "cli/cli_settings.h"
#include "cli/cli_upgrade.h"
#include "cli/cli_usage.h"
#include "cli/inventory/cli_inventory.h"
#include "version.h"

namespace tessaline {
namespace {

int Dispatch(const CliOptions& options, CliPlatform& platform) {
    switch (options.command) {
        case CliCommand::Help:
            platform.out << CliHelpText();
            return kExitOk;
        case CliCommand::Version:
            platform.out << "tessaline-cli " << kVersion << '\n';
            return kExitOk;
        case CliCommand::Printers:
            return RunPrinters(options, platform);
        case CliCommand::Upgrade:
            return RunUpgrade(options, platform);
        case CliCommand::Forms:
            return RunForms(options, platform);
        case CliCommand::Settings:
            return RunSettings(options, platform);
        case CliCommand::Inventory:
            return RunInventory(options, platform);
    }
    return kExitUsage;
}

}  // namespace

int RunCli(const std::vector<std::string>& args, CliPlatform& platform) {
    const ParsedArgs parsed = ParseCliArgs(args);
    if (!parsed.ok) {
        return UsageError(platform.err, parsed.error);
    }
    CliOptions options = parsed.options;
    if (options.server) {
        if (platform.server == nullptr) {
            return UsageError(platform.err,
                              "--server is not used here; name a print server's printer as "
                              "\\\\server\\printer");
        }
        std::string why;
        if (!platform.server->UseServer(*options.server, &why)) {
            return UsageError(platform.err, "--server " + *options.server + ": " + why);
        }
    }
    std::string error;
    if (!SignInAsAsked(options, platform, &error)) {
        return UsageError(platform.err, error);
    }
    if ((options.command == CliCommand::Upgrade || options.command == CliCommand::Forms ||
         options.command == CliCommand::Inventory) &&
        !PrepareFleet(options, platform, &error)) {
        return UsageError(platform.err, error);
    }
    const int code = Dispatch(options, platform);
    platform.out.flush();
    platform.err.flush();
    return code;
}

}  // namespace tessaline
