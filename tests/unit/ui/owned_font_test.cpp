#include "ui/owned_font.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tessaline {
namespace {

// Fonts are numbers here; every delete and every hand-over to the controls is logged in order.
std::vector<std::string> g_log;

struct FakeFontTraits {
    using Handle = int;
    static void Delete(int font) { g_log.push_back("delete " + std::to_string(font)); }
};
using Font = OwnedFont<FakeFontTraits>;

auto GiveToControls() {
    return [](int font) { g_log.push_back("give " + std::to_string(font)); };
}

class OwnedFontTest : public ::testing::Test {
  protected:
    void SetUp() override { g_log.clear(); }
};

TEST_F(OwnedFontTest, EachFontIsDeletedExactlyOnce) {
    struct Case {
        const char* name;
        void (*steps)();
        std::vector<std::string> log;
    };
    const Case cases[] = {
        {"held to the end", [] { Font font(1); }, {"delete 1"}},
        {"none held", [] { Font font; }, {}},
        {"moved into another",
         [] {
             Font a(1);
             Font b(std::move(a));
         },
         {"delete 1"}},
        {"moved over another",
         [] {
             Font a(1);
             Font b(2);
             b = std::move(a);
         },
         {"delete 2", "delete 1"}},
        {"moved onto itself",
         [] {
             Font a(1);
             Font& same = a;
             a = std::move(same);
         },
         {"delete 1"}},
    };
    for (const Case& c : cases) {
        g_log.clear();
        c.steps();
        EXPECT_EQ(g_log, c.log) << c.name;
    }
}

TEST_F(OwnedFontTest, ReplacingGivesTheNewFontBeforeDeletingTheOld) {
    Font current(1);
    EXPECT_TRUE(ReplaceFont(current, 2, GiveToControls()));
    EXPECT_EQ(current.get(), 2);
    EXPECT_EQ(g_log, (std::vector<std::string>{"give 2", "delete 1"}));
}

TEST_F(OwnedFontTest, TheFirstFontReplacesNothing) {
    Font current;
    EXPECT_TRUE(ReplaceFont(current, 7, GiveToControls()));
    EXPECT_EQ(g_log, (std::vector<std::string>{"give 7"}));
}

TEST_F(OwnedFontTest, AFontThatCouldNotBeMadeLeavesTheControlsTheirs) {
    Font current(1);
    EXPECT_FALSE(ReplaceFont(current, 0, GiveToControls()));
    EXPECT_EQ(current.get(), 1);
    EXPECT_TRUE(g_log.empty());
}

}  // namespace
}  // namespace tessaline
