#include "cli/cli_help.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "cli/cli_args.h"
#include "cli/cli_exit.h"
#include "cli/cli_option_table.h"
#include "cli/cli_report.h"
#include "fakes/cli_rig.h"

namespace tessaline {
namespace {

std::string SourceFile(const std::string& path) {
    std::ifstream in(std::string(TESSALINE_SOURCE_DIR) + "/" + path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        lines.push_back(line);
    }
    return lines;
}

// The lines from the one starting with `first` up to, not including, the one starting with
// `stop`.
std::string Block(const std::string& text, const std::string& first, const std::string& stop) {
    std::string block;
    bool in = false;
    for (const std::string& line : Lines(text)) {
        if (line.rfind(first, 0) == 0) {
            in = true;
        } else if (in && line.rfind(stop, 0) == 0) {
            break;
        }
        if (in) {
            block += line + "\n";
        }
    }
    return block;
}

TEST(CliHelp, NamesTheListEntriesWrappedUnderTheirOption) {
    EXPECT_EQ(Block(CliHelpText(), "      --page-size", "  -h, --help"),
              "      --page-size INDEX|NAME  0 to 11, or the first words of the entry: Executive, "
              "Letter,\n"
              "                          Legal, Ledger, A4, A3, Monarch Letter, Com-10 Business,\n"
              "                          International DL, International C5, International B5,\n"
              "                          Maximum [Custom].\n"
              "      --orientation INDEX|NAME  0 to 3, or Portrait, Landscape, Reverse Portrait,\n"
              "                          Reverse Landscape.\n");
}

// An option's lines: its first and those indented under it.
std::string OptionBlock(const std::string& help, const std::string& first) {
    std::string block;
    for (const std::string& line : Lines(help)) {
        if (line.rfind(first, 0) == 0 ||
            (!block.empty() && line.rfind(std::string(26, ' '), 0) == 0)) {
            block += line + "\n";
        } else if (!block.empty()) {
            break;
        }
    }
    return block;
}

// ---- What --help promises is what the parser and the window do

struct DefaultCase {
    const char* option;  // the start of its first line
    std::string says;    // one line: each option's words run together
};

TEST(CliHelp, EveryDefaultItPrintsIsItsConstant) {
    const DefaultCase cases[] = {
        {"      --wait", "(default " + std::to_string(kDefaultWaitSeconds) + " seconds)"},
        {"      --parallel", "1 to " + std::to_string(kMostParallelJobs) + " (default " +
                                 std::to_string(kDefaultParallelJobs) + ")"},
        {"      --format", std::string("(default ") + kUpgradeDocumentFormat + "; forms send " +
                               kFormsDocumentFormat + ")"},
        {"      --max-failures", std::string("reported as ") + kNotStartedStage + "."},
        {"      --verify-timeout", "(default " + std::to_string(kDefaultVerifySeconds) + ")."},
    };
    for (const DefaultCase& c : cases) {
        std::string block = OptionBlock(CliHelpText(), c.option);
        for (std::string::size_type at;
             (at = block.find("\n" + std::string(26, ' '))) != std::string::npos;) {
            block.replace(at, 27, " ");
        }
        EXPECT_NE(block.find(c.says), std::string::npos) << c.option << ": " << block;
    }
    EXPECT_EQ(CliHelpText().find_first_of("{}"), std::string::npos);
}

TEST(CliHelp, TheDefaultsItPrintsAreTheParsersAndTheWindows) {
    const ParsedArgs bare = ParseCliArgs({"upgrade", "m.bin", "-p", "a", "--wait"});
    ASSERT_TRUE(bare.ok) << bare.error;
    EXPECT_EQ(bare.options.window.waitSeconds, kDefaultWaitSeconds);
    EXPECT_EQ(bare.options.window.parallel, kDefaultParallelJobs);
    EXPECT_EQ(WindowLimits{}.parallel, kDefaultParallelJobs);
    const std::string most = std::to_string(kMostParallelJobs);
    EXPECT_TRUE(ParseCliArgs({"forms", "1", "-p", "a", "--parallel", most}).ok);
    EXPECT_FALSE(ParseCliArgs({"forms", "1", "-p", "a", "--parallel", most + "0"}).ok);
    const std::string longest = std::to_string(kLongestWaitSeconds);
    EXPECT_TRUE(ParseCliArgs({"upgrade", "m.bin", "-p", "a", "--wait", longest}).ok);
    EXPECT_EQ(ParseCliArgs({"upgrade", "m.bin", "-p", "a", "--wait=" + longest + "0"}).error,
              "--wait takes a number of seconds up to " + longest);
}

// Every option a command takes is shown, once, in the table's order.
TEST(CliHelp, ShowsEveryOptionOfTheTable) {
    const std::string help = CliHelpText();
    std::string::size_type last = help.find("\nOptions:\n");
    for (const CliOptionRow& row : OptionRows()) {
        const std::string shown = std::string(row.shortName ? ", " : "      ") + row.name +
                                  (row.valueName ? std::string(" ") + row.valueName : "") + "  ";
        const std::string::size_type at = help.find(shown, last);
        EXPECT_NE(at, std::string::npos) << row.name;
        last = at == std::string::npos ? last : at;
        EXPECT_NE(row.commands, 0u) << row.name;
        EXPECT_NE(row.set, nullptr) << row.name;
    }
}

TEST(CliHelp, ListsEveryExitCode) {
    EXPECT_EQ(Block(CliHelpText(), "Exit codes:", "never"),
              "Exit codes:\n"
              "  0  every job complete (and printed, with --wait)\n"
              "  1  usage\n"
              "  2  not confirmed\n"
              "  3  file error\n"
              "  4  printer not opened\n"
              "  5  the spooler refused a stage\n"
              "  6  partial write\n"
              "  7  with --wait, the job failed, could not be followed or did not finish in time\n"
              "  8  the settings could not be stored\n"
              "  9  a printer was not started: --max-failures was reached\n"
              "  10  the printer does not report the expected version after the upgrade\n"
              "  11  with --expect-version, the printer's version could not be asked: it was not "
              "sent the file\n"
              "  130  interrupted (Ctrl-C): jobs not handed over were cancelled\n"
              "  With several printers or forms, the highest code wins; Ctrl-C gives 130.\n");
}

// The manual page's text without its markup: ".B 8" is 8, "\-" a dash, and ".BR a b" the two
// run together.
std::string RoffText(const std::string& line) {
    std::string text = line;
    for (const char* macro : {".BR ", ".B ", ".BI "}) {
        if (text.rfind(macro, 0) == 0) {
            text.erase(0, std::string(macro).size());
            if (std::string(macro) == ".BR ") {
                const auto space = text.find(' ');
                if (space != std::string::npos) {
                    text.erase(space, 1);
                }
            }
        }
    }
    for (std::string::size_type at; (at = text.find("\\-")) != std::string::npos;) {
        text.erase(at, 1);
    }
    return text;
}

// The README's table and the manual's EXIT STATUS list say what the program's table says.
TEST(CliHelp, DocumentsHoldTheSameExitCodes) {
    std::string readme;
    for (std::string line : Lines(SourceFile("README.md"))) {
        if (line.rfind("| ", 0) == 0 && line.size() > 2 && line[2] >= '0' && line[2] <= '9') {
            for (std::string::size_type at; (at = line.find('`')) != std::string::npos;) {
                line.erase(at, 1);
            }
            readme += line + "\n";
        }
    }
    std::string manual;
    bool inExitStatus = false;
    for (const std::string& line : Lines(SourceFile("docs/tessaline-cli.1"))) {
        if (line.rfind(".SH", 0) == 0) {
            inExitStatus = line == ".SH EXIT STATUS";
            continue;
        }
        if (!inExitStatus || line == ".PP") {
            inExitStatus = inExitStatus && line != ".PP";
            continue;
        }
        if (line == ".TP") {
            manual += "\n";
        } else {
            manual += (manual.empty() || manual.back() == '\n' ? "" : " ") + RoffText(line);
        }
    }
    std::string wantReadme;
    std::string wantManual;
    for (const ExitCodeMeaning& exit : kExitCodeMeanings) {
        wantReadme += "| " + std::to_string(exit.code) + " | " + exit.meaning + " |\n";
        wantManual += "\n" + std::to_string(exit.code) + " " + exit.meaning;
    }
    EXPECT_EQ(readme, wantReadme);
    EXPECT_EQ(manual, wantManual);
}

TEST(CliHelp, ShowsEveryCommandWithAnExampleAndTheExitCodes) {
    CliRig rig;
    EXPECT_EQ(rig.Run({"--help"}), 0);
    const std::string help = rig.out.str();
    for (const char* needle :
         {"  tessaline-cli printers\n", "tessaline-cli upgrade module.bin --printer",
          "tessaline-cli forms 4-11 --printer", "tessaline-cli settings --page-size A4",
          "tessaline-cli inventory --printers-file", "--yes --expect-version 2.1\n",
          "  7  with --wait, the job failed, could not be followed or did not finish in time\n",
          "the highest code wins"}) {
        EXPECT_NE(help.find(needle), std::string::npos) << needle;
    }
    rig.out.str("");
    EXPECT_EQ(rig.Run({"--version"}), 0);
    EXPECT_EQ(rig.out.str(), "tessaline-cli 3.2\n");
}

}  // namespace
}  // namespace tessaline
