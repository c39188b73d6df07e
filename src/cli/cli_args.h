#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "cli/fleet/cli_job_window.h"
#include "platform/digest.h"
#include "platform/printer_notes.h"
#include "platform/sign_in.h"

namespace tessaline {

enum class CliCommand { Help, Version, Printers, Upgrade, Forms, Settings, Inventory };

inline constexpr std::uint32_t kDefaultWaitSeconds = 300;
inline constexpr std::uint32_t kLongestWaitSeconds = 7 * 24 * 3600;
inline constexpr std::uint32_t kDefaultVerifySeconds = 600;
// For printers reached by address; queues take raw documents.
inline constexpr const char* kUpgradeDocumentFormat = kRawDocumentFormat;
inline constexpr char kFormsDocumentFormat[] = "application/vnd.hp-PCL";

struct CliOptions {
    CliCommand command = CliCommand::Help;
    std::string file;                         // upgrade
    std::string range;                        // forms
    std::vector<std::string> printers;        // --printer, in the order given
    std::optional<std::string> printersFile;  // --printers-file; "-" is standard input
    WindowLimits window;                      // --parallel, --max-failures, --wait
    SignInOptions signIn;                     // terminal is the platform's to set
    std::optional<std::string> format;        // upgrade: --format, for addressed printers
    bool yes = false;
    bool debug = false;
    bool json = false;
    bool csv = false;  // inventory
    std::optional<std::string> server;
    std::optional<Sha256Digest> sha256;  // upgrade: the file must have this digest
    std::optional<std::string> pageSize;
    std::optional<std::string> orientation;
    // upgrade: the version each printer must report after it, and the component to ask of
    std::optional<std::string> expectVersion;
    std::optional<std::string> component;
    std::optional<std::uint32_t> verifySeconds;
};

struct ParsedArgs {
    bool ok = false;
    CliOptions options;
    std::string error;  // one line, with ok false
};

// args excludes the program name. --help anywhere wins over everything else.
ParsedArgs ParseCliArgs(const std::vector<std::string>& args);

}  // namespace tessaline
