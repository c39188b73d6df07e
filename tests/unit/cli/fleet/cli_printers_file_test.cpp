#include "cli/fleet/cli_printers_file.h"

#include <gtest/gtest.h>

#include <ostream>

#include <sstream>

#include "fakes/fake_file_system.h"

namespace tessaline {
namespace {

struct ParseCase {
    const char* name;
    const char* text;
    std::vector<std::string> given;
    std::vector<std::string> printers;
    const char* error;  // null when it parses
};

const ParseCase kParseCases[] = {
    {"OnePerLine",
     "laser1\nipp://10.0.0.5/ipp/print\n",
     {},
     {"laser1", "ipp://10.0.0.5/ipp/print"},
     nullptr},
    {"NoFinalNewline", "a\nb", {}, {"a", "b"}, nullptr},
    {"CrLfAndBlanksAround", "a\r\n  b \t\r\n", {}, {"a", "b"}, nullptr},
    {"BlankAndCommentLinesSkipped", "\n# site 1\n   \na\n  # b\n", {}, {"a"}, nullptr},
    {"NameWithInnerBlanks", "Office Laser 4\n", {}, {"Office Laser 4"}, nullptr},
    {"HashInsideANameIsKept", "laser#2\n", {}, {"laser#2"}, nullptr},
    {"Empty", "", {}, {}, nullptr},
    {"RepeatNamesBothLines", "a\nb\n\nb\n", {}, {}, "list: line 4 names 'b' again, as line 2 did"},
    {"RepeatAfterCrIsTheSame", "a\r\na\n", {}, {}, "list: line 2 names 'a' again, as line 1 did"},
    {"RepeatOfAGivenPrinter",
     "x\na\n",
     {"a"},
     {},
     "list: line 2 names 'a' again, as --printer did"},
};

// Named by its case, not dumped byte by byte (padding would read as uninitialised).
void PrintTo(const ParseCase& c, std::ostream* out) {
    *out << c.name;
}

class ParsePrintersFileTest : public ::testing::TestWithParam<ParseCase> {};

TEST_P(ParsePrintersFileTest, Lines) {
    const ParseCase& c = GetParam();
    const PrintersFile file = ParsePrintersFile(c.text, "list", c.given);
    if (c.error == nullptr) {
        EXPECT_TRUE(file.ok) << file.error;
        EXPECT_EQ(c.printers, file.printers);
    } else {
        EXPECT_FALSE(file.ok);
        EXPECT_EQ(c.error, file.error);
    }
}

INSTANTIATE_TEST_SUITE_P(PrintersFile, ParsePrintersFileTest, ::testing::ValuesIn(kParseCases),
                         [](const auto& param) { return std::string(param.param.name); });

TEST(ReadPrintersFile, FromAFileFromStandardInputAndRefusals) {
    FakeFileSystem files;
    files.files["fleet.txt"].content = "a\nb\n";
    files.files["comments.txt"].content = "# nothing here\n\n";
    std::istringstream in("c\r\nd\r\n");
    std::istringstream none;

    PrintersFile file = ReadPrintersFile(files, none, "fleet.txt", {});
    EXPECT_TRUE(file.ok);
    EXPECT_EQ((std::vector<std::string>{"a", "b"}), file.printers);

    file = ReadPrintersFile(files, in, "-", {});
    EXPECT_TRUE(file.ok);
    EXPECT_EQ((std::vector<std::string>{"c", "d"}), file.printers);

    file = ReadPrintersFile(files, none, "missing.txt", {});
    EXPECT_FALSE(file.ok);
    EXPECT_EQ("--printers-file missing.txt: the file was not found or could not be opened",
              file.error);

    file = ReadPrintersFile(files, none, "comments.txt", {});
    EXPECT_FALSE(file.ok);
    EXPECT_EQ("comments.txt names no printer", file.error);
    // With --printer names, a file of comments only adds nothing and is no error.
    EXPECT_TRUE(ReadPrintersFile(files, none, "comments.txt", {"a"}).ok);
}

TEST(ReadPrintersFile, LargerThanTheLimitByItsLengthOrAsItIsRead) {
    FakeFileSystem files;
    files.files["big.txt"].content = "a\n";
    files.files["big.txt"].length = kLargestPrintersFile + 1;
    files.files["grows.txt"].content = std::string(kLargestPrintersFile + 1, '#');
    files.files["grows.txt"].lengthAnswers = {1};
    files.files["full.txt"].content = std::string(kLargestPrintersFile - 2, '#') + "\na";
    std::istringstream none;
    for (const char* path : {"big.txt", "grows.txt"}) {
        const PrintersFile file = ReadPrintersFile(files, none, path, {});
        EXPECT_FALSE(file.ok) << path;
        EXPECT_EQ("--printers-file " + std::string(path) + ": the file is larger than 16 MiB",
                  file.error);
    }
    EXPECT_TRUE(ReadPrintersFile(files, none, "full.txt", {}).ok);
}

}  // namespace
}  // namespace tessaline
