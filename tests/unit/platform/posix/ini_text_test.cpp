#include "platform/posix/ini_text.h"

#include <gtest/gtest.h>

namespace tessaline {
namespace {

// ---- Reading an entry from odd but plausible files ----

struct FindCase {
    const char* name;
    const char* text;
    std::optional<std::string> expected;
};

const FindCase kFindCases[] = {
    {"plain", "[Print Settings]\nPage Size=4\n", "4"},
    {"crlf", "[Print Settings]\r\nPage Size=4\r\n", "4"},
    {"bom", "\xEF\xBB\xBF[Print Settings]\nPage Size=4\n", "4"},
    {"spaces around equals", "[Print Settings]\n  Page Size   =   4  \n", "4"},
    {"tabs and spaces in header", "[ Print Settings ]\n\tPage Size\t=\t4\n", "4"},
    {"other case", "[print settings]\npage size=4\n", "4"},
    {"no trailing newline", "[Print Settings]\nPage Size=4", "4"},
    {"first duplicate wins", "[Print Settings]\nPage Size=4\nPage Size=5\n", "4"},
    {"repeated section", "[Print Settings]\nOther=1\n[X]\n[Print Settings]\nPage Size=6\n", "6"},
    {"other section only", "[Other]\nPage Size=4\n", std::nullopt},
    {"entry before any section", "Page Size=4\n[Print Settings]\n", std::nullopt},
    {"after another section", "[Print Settings]\n[Other]\nPage Size=4\n", std::nullopt},
    {"comment", "[Print Settings]\n;Page Size=4\n#Page Size=5\n", std::nullopt},
    {"no equals", "[Print Settings]\nPage Size 4\n", std::nullopt},
    {"empty value", "[Print Settings]\nPage Size=\n", ""},
    {"value with equals", "[Print Settings]\nPage Size=4=5\n", "4=5"},
    {"unclosed header", "[Print Settings\nPage Size=4\n", std::nullopt},
    {"empty file", "", std::nullopt},
    {"cr only line ends are one line", "[Print Settings]\rPage Size=4\r", std::nullopt},
};

TEST(IniText, FindsEntries) {
    for (const FindCase& c : kFindCases) {
        EXPECT_EQ(FindIniValue(c.text, "Print Settings", "Page Size"), c.expected) << c.name;
    }
}

// ---- 32-bit numbers ----

struct NumberCase {
    const char* text;
    std::optional<std::int32_t> expected;
};

const NumberCase kNumberCases[] = {
    {"0", 0},
    {"4", 4},
    {"007", 7},
    {"+11", 11},
    {"-1", -1},
    {"2147483647", 2147483647},
    {"-2147483648", INT32_MIN},
    {"2147483648", std::nullopt},
    {"-2147483649", std::nullopt},
    {"4294967295", std::nullopt},
    {"99999999999999999999999", std::nullopt},
    {"0x4", std::nullopt},
    {"4.0", std::nullopt},
    {"4a", std::nullopt},
    {"four", std::nullopt},
    {"", std::nullopt},
    {"-", std::nullopt},
    {"--1", std::nullopt},
    {"4 5", std::nullopt},
};

TEST(IniText, ParsesSigned32BitDecimalOnly) {
    for (const NumberCase& c : kNumberCases) {
        EXPECT_EQ(ParseInt32(c.text), c.expected) << "'" << c.text << "'";
    }
}

// ---- Setting an entry keeps everything else ----

struct SetCase {
    const char* name;
    const char* before;
    const char* after;
};

const SetCase kSetCases[] = {
    {"empty file", "", "[Print Settings]\nPage Size=4\n"},
    {"replaces in place", "[Print Settings]\nPage Orientation=1\nPage Size=2\n",
     "[Print Settings]\nPage Orientation=1\nPage Size=4\n"},
    {"replaces only the first duplicate", "[Print Settings]\n page size = 2 \nPage Size=3\n",
     "[Print Settings]\nPage Size=4\nPage Size=3\n"},
    {"adds after the section's last entry",
     "[Print Settings]\nPage Orientation=1\n\n[Other]\nA=1\n",
     "[Print Settings]\nPage Orientation=1\nPage Size=4\n\n[Other]\nA=1\n"},
    {"adds the section at the end", "; mine\n[Other]\nA=1\n",
     "; mine\n[Other]\nA=1\n[Print Settings]\nPage Size=4\n"},
    {"ends a last line first", "[Other]\nA=1", "[Other]\nA=1\n[Print Settings]\nPage Size=4\n"},
    // The one line has no end to copy: new lines take a plain LF.
    {"one header line without a line end", "[Print Settings]", "[Print Settings]\nPage Size=4\n"},
    {"keeps crlf and uses it", "[Print Settings]\r\nPage Orientation=1\r\n",
     "[Print Settings]\r\nPage Orientation=1\r\nPage Size=4\r\n"},
    {"keeps the bom", "\xEF\xBB\xBF[Other]\n",
     "\xEF\xBB\xBF[Other]\n[Print Settings]\nPage Size=4\n"},
    {"ignores an entry outside sections", "Page Size=9\n",
     "Page Size=9\n[Print Settings]\nPage Size=4\n"},
    {"replaces the one a reader finds", "[Print Settings]\nA=1\n[Print Settings]\nPage Size=2\n",
     "[Print Settings]\nA=1\n[Print Settings]\nPage Size=4\n"},
    {"header without entries", "[Print Settings]\n[Other]\n",
     "[Print Settings]\nPage Size=4\n[Other]\n"},
};

TEST(IniText, SetsEntries) {
    for (const SetCase& c : kSetCases) {
        const std::string after = SetIniValue(c.before, "Print Settings", "Page Size", "4");
        EXPECT_EQ(after, c.after) << c.name;
        EXPECT_EQ(FindIniValue(after, "Print Settings", "Page Size"), "4") << c.name;
    }
}

}  // namespace
}  // namespace tessaline
