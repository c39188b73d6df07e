#include "framework/help_key.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>

namespace tessaline {
namespace {

// ---- Help file and context.

struct HelpPathCase {
    const char* name;
    const char* exe;
    const char* help;
};

void PrintTo(const HelpPathCase& c, std::ostream* os) {
    *os << c.name;
}

class HelpPath : public testing::TestWithParam<HelpPathCase> {};

TEST_P(HelpPath, ExtensionReplaced) {
    EXPECT_EQ(HelpFilePath(GetParam().exe), GetParam().help);
}

INSTANTIATE_TEST_SUITE_P(
    HelpKey, HelpPath,
    testing::Values(
        HelpPathCase{"Plain", "C:\\Tools\\Tessaline.exe", "C:\\Tools\\Tessaline.HLP"},
        HelpPathCase{"Renamed", "C:\\Tools\\tess v2.EXE", "C:\\Tools\\tess v2.HLP"},
        HelpPathCase{"TwoDots", "C:\\Tools\\Tessaline.old.exe", "C:\\Tools\\Tessaline.old.HLP"},
        HelpPathCase{"DotInFolderOnly", "C:\\Tools.d\\Tessaline", "C:\\Tools.d\\Tessaline.HLP"},
        HelpPathCase{"ForwardSlashFolder", "Z:/tmp/run.x/Tessaline", "Z:/tmp/run.x/Tessaline.HLP"},
        HelpPathCase{"LongPath", "\\\\?\\C:\\deep\\Tessaline.exe",
                     "\\\\?\\C:\\deep\\Tessaline.HLP"}),
    [](const testing::TestParamInfo<HelpPathCase>& p) { return p.param.name; });

// ---- The application's name, split from the path by the same rule.

TEST(ApplicationNameFromPath, Paths) {
    struct Case {
        const char* path;
        const char* name;
    };
    const Case cases[] = {
        {"C:\\Program Files\\Korvane\\Tessaline.exe", "Tessaline"},
        {"C:\\tools\\TESSALINE.EXE", "TESSALINE"},
        {"/opt/tools/tool.v2.exe", "tool.v2"},
        {"C:\\my.dir\\tool", "tool"},
        {"a/b\\c.exe", "c"},
        {"a\\b/c.exe", "c"},
        {"tool", "tool"},
        {"C:\\dir\\.exe", ""},
        {"", ""},
        {"C:tool.exe", "tool"},
        {"\\\\?\\C:\\deep\\Tessaline.exe", "Tessaline"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        EXPECT_EQ(ApplicationNameFromPath(c.path), c.name);
    }
}

TEST(HelpKey, ContextsOfTheTemplates) {
    EXPECT_EQ(HelpContextForTemplate(102), 0x20066u);
    EXPECT_EQ(HelpContextForTemplate(130), 0x20082u);
    EXPECT_EQ(HelpContextForTemplate(100), 0x20064u);
    EXPECT_STREQ(kHelpFailedText, "Failed to launch help.");
}

}  // namespace
}  // namespace tessaline
