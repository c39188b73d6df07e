// driver.exe: drives another program's windows from outside, one command per run.
#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <cstring>

#include "commands.h"

namespace {

using driver::Options;

struct Command {
    const char* name;
    size_t min_args;
    size_t max_args;
    void (*run)(const Options&);
    const char* usage;
};

constexpr size_t kMany = 1000;

constexpr Command kCommands[] = {
    {"wait-window", 1, 1, driver::CmdWaitWindow, "CAPTION"},
    {"wait-close", 1, 1, driver::CmdWaitClose, "CAPTION"},
    {"get-text", 2, 2, driver::CmdGetText, "CAPTION ID"},
    {"set-text", 3, 3, driver::CmdSetText, "CAPTION ID TEXT"},
    {"focus", 2, 2, driver::CmdFocus, "CAPTION ID"},
    {"get-focus", 1, 1, driver::CmdGetFocus, "CAPTION"},
    {"list-entries", 2, 2, driver::CmdListEntries, "CAPTION ID"},
    {"get-selection", 2, 2, driver::CmdGetSelection, "CAPTION ID"},
    {"select", 2, 2, driver::CmdSelect, "CAPTION ID (--text T | --index N)"},
    {"get-check", 2, 2, driver::CmdGetCheck, "CAPTION ID"},
    {"click", 2, 2, driver::CmdClick, "CAPTION ID"},
    {"syscommand", 2, 2, driver::CmdSysCommand, "CAPTION COMMAND_ID"},
    {"key", 2, 2, driver::CmdKey, "CAPTION KEY"},
    {"close", 1, 1, driver::CmdClose, "CAPTION"},
    {"wait-msgbox", 1, 1, driver::CmdWaitMsgBox, "OWNER_CAPTION"},
    {"answer-msgbox", 2, 2, driver::CmdAnswerMsgBox, "OWNER_CAPTION BUTTON"},
    {"file-open", 2, 2, driver::CmdFileOpen, "OWNER_CAPTION PATH"},
    {"drop-file", 2, kMany, driver::CmdDropFile, "CAPTION PATH [PATH...] [--wide]"},
    {"menu-items", 1, 1, driver::CmdMenuItems, "CAPTION"},
    {"font", 2, 2, driver::CmdFont, "CAPTION ID"},
    {"text-fit", 1, 1, driver::CmdTextFit, "CAPTION"},
    {"dpi-changed", 2, 2, driver::CmdDpiChanged, "CAPTION DPI"},
    {"list-windows", 0, 0, driver::CmdList, ""},
    {"code-page", 0, 0, driver::CmdCodePage, ""},
};

void Usage() {
    std::fprintf(stderr, "usage: driver COMMAND ARGS [--timeout SECONDS]\n");
    for (const Command& c : kCommands) {
        std::fprintf(stderr, "  %s %s\n", c.name, c.usage);
    }
}

std::string Value(int argc, char** argv, int& i) {
    if (i + 1 >= argc) {
        throw driver::DriverError(std::string(argv[i]) + " needs a value");
    }
    return argv[++i];
}

Options ParseOptions(int argc, char** argv) {
    Options o;
    bool options_done = false;
    for (int i = 2; i < argc; ++i) {
        std::string arg = argv[i];
        if (options_done || arg.size() < 2 || arg.compare(0, 2, "--") != 0) {
            o.args.push_back(arg);
        } else if (arg == "--") {
            options_done = true;
        } else if (arg == "--timeout") {
            std::string value = Value(argc, argv, i);
            char* end = nullptr;
            double seconds = std::strtod(value.c_str(), &end);
            if (value.empty() || *end != '\0' || seconds < 0 || seconds > 3600) {
                throw driver::DriverError("bad --timeout: " + value);
            }
            o.timeout_ms = static_cast<DWORD>(seconds * 1000);
        } else if (arg == "--text") {
            o.has_text = true;
            o.text = Value(argc, argv, i);
        } else if (arg == "--wide") {
            o.wide = true;
        } else if (arg == "--index") {
            o.has_index = true;
            o.index = static_cast<int>(driver::ParseNumber(Value(argc, argv, i), "--index"));
        } else {
            throw driver::DriverError("unknown option " + arg);
        }
    }
    return o;
}

}  // namespace

int main(int argc, char** argv) {
    // Scripts on the Unix side compare bytes: no CR before each LF.
    _setmode(_fileno(stdout), _O_BINARY);
    if (argc < 2) {
        Usage();
        return driver::kExitUsage;
    }
    const Command* command = nullptr;
    for (const Command& c : kCommands) {
        if (std::strcmp(argv[1], c.name) == 0) {
            command = &c;
        }
    }
    if (command == nullptr) {
        std::fprintf(stderr, "driver: unknown command \"%s\"\n", argv[1]);
        Usage();
        return driver::kExitUsage;
    }
    try {
        Options o = ParseOptions(argc, argv);
        if (o.args.size() < command->min_args || o.args.size() > command->max_args) {
            std::fprintf(stderr, "usage: driver %s %s\n", command->name, command->usage);
            return driver::kExitUsage;
        }
        command->run(o);
        return driver::kExitOk;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "driver %s: %s\n", command->name, e.what());
        return driver::kExitFailure;
    }
}
