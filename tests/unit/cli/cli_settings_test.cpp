#include "cli/cli_settings.h"

#include <gtest/gtest.h>

#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "fakes/cli_rig.h"
#include "settings/setting_names.h"

namespace tessaline {
namespace {

const char kSection[] = "software\\Korvane\\Tessaline\\Print Settings";

// ---- Names and numbers given on the command line

struct NameCase {
    const char* given;
    bool pageSize;  // else orientation
    NameMatch match;
    std::int32_t index;
};

const NameCase kNames[] = {
    {"A4", true, NameMatch::Found, 4},
    {"a4", true, NameMatch::Found, 4},
    {"Com-10", true, NameMatch::Found, 7},
    {"Letter", true, NameMatch::Found, 1},
    {"Monarch", true, NameMatch::Found, 6},
    {"monarch letter", true, NameMatch::Found, 6},
    {"International", true, NameMatch::Ambiguous, -1},
    {"International DL", true, NameMatch::Found, 8},
    {"Maximum [Custom]", true, NameMatch::Found, 11},
    {"A4 (210 mm x 297 mm)", true, NameMatch::Found, 4},
    {"11", true, NameMatch::Found, 11},
    {"0", true, NameMatch::Found, 0},
    {"12", true, NameMatch::NotFound, -1},
    {"-1", true, NameMatch::NotFound, -1},
    {"+1", true, NameMatch::NotFound, -1},
    {"A", true, NameMatch::NotFound, -1},
    {"", true, NameMatch::NotFound, -1},
    {"Landscape", false, NameMatch::Found, 1},
    {"Portrait", false, NameMatch::Found, 0},
    {"Reverse Portrait", false, NameMatch::Found, 2},
    {"  reverse   landscape ", false, NameMatch::Found, 3},
    {"Reverse", false, NameMatch::Ambiguous, -1},
    {"3", false, NameMatch::Found, 3},
    {"4", false, NameMatch::NotFound, -1},
};

TEST(SettingNames, FindsByNumberOrFirstWords) {
    for (const NameCase& c : kNames) {
        const SettingChoice choice =
            FindSetting(c.pageSize ? PageSizeNames() : OrientationNames(), c.given);
        EXPECT_EQ(choice.match, c.match) << c.given;
        EXPECT_EQ(choice.index, c.index) << c.given;
    }
}

// ---- Showing and storing

struct Case {
    const char* name;
    std::function<void(CliRig&)> setup;
    std::vector<std::string> args;
    int exitCode;
    std::string out;
    std::vector<std::string> stores;  // every value stored, in order
};

const Case kCases[] = {
    {"FreshAccount",
     nullptr,
     {"settings"},
     0,
     "Page Size: not set\nPage Orientation: not set\n",
     {}},
    // A stored 0 is a value, not an absence.
    {"StoredZeroIsSet",
     [](CliRig& r) {
         r.registry.SetDword(kSection, "Page Size", 0);
         r.registry.SetDword(kSection, "Page Orientation", 0);
     },
     {"settings"},
     0,
     "Page Size: 0, Executive (7 1/4 x 10 1/2 in.)\nPage Orientation: 0, Portrait\n",
     {}},
    {"StoredOneIsSet",
     [](CliRig& r) { r.registry.SetDword(kSection, "Page Size", 1); },
     {"settings"},
     0,
     "Page Size: 1, Letter (8 1/2 x 11 in.)\nPage Orientation: not set\n",
     {}},
    {"NoSelectionAndOutOfList",
     [](CliRig& r) {
         r.registry.SetDword(kSection, "Page Size", 0xFFFFFFFFu);
         r.registry.SetDword(kSection, "Page Orientation", 9);
     },
     {"settings"},
     0,
     "Page Size: -1, no entry chosen\nPage Orientation: 9, not in the list\n",
     {}},
    {"JsonNotSet",
     nullptr,
     {"settings", "--json"},
     0,
     "{\"page_size\":null,\"page_size_text\":null,\"orientation\":null,\"orientation_text\":null}"
     "\n",
     {}},
    {"StoresOnlyPageSize",
     [](CliRig& r) { r.registry.SetDword(kSection, "Page Orientation", 2); },
     {"settings", "--page-size", "a4", "--json"},
     0,
     "{\"page_size\":4,\"page_size_text\":\"A4 (210 mm x 297 mm)\",\"orientation\":2,"
     "\"orientation_text\":\"Reverse Portrait\"}\n",
     {"Set(Page Size=4)"}},
    {"StoresBothPageSizeFirst",
     nullptr,
     {"settings", "--orientation", "1", "--page-size", "Com-10"},
     0,
     "Page Size: 7, Com-10 Business (4 1/8 x 9 1/2 in.)\nPage Orientation: 1, Landscape\n",
     {"Set(Page Size=7)", "Set(Page Orientation=1)"}},
    // A bad name stores nothing, not even the good one beside it.
    {"BadNameStoresNothing",
     nullptr,
     {"settings", "--page-size", "A4", "--orientation", "Reverse"},
     1,
     "",
     {}},
};

void PrintTo(const Case& c, std::ostream* out) {
    *out << c.name;
}

class CliSettingsTest : public ::testing::TestWithParam<Case> {};

TEST_P(CliSettingsTest, ShowsAndStores) {
    const Case& c = GetParam();
    CliRig rig;
    if (c.setup) {
        c.setup(rig);
    }
    EXPECT_EQ(rig.Run(c.args), c.exitCode);
    EXPECT_EQ(rig.out.str(), c.out);
    std::vector<std::string> stores;
    for (const std::string& call : rig.registry.calls) {
        if (call.rfind("Set(", 0) == 0) {
            stores.push_back(call);
        }
    }
    EXPECT_EQ(stores, c.stores);
    EXPECT_EQ(rig.registry.handleErrors, std::vector<std::string>{});
}

INSTANTIATE_TEST_SUITE_P(Cases, CliSettingsTest, ::testing::ValuesIn(kCases),
                         [](const auto& param) { return std::string(param.param.name); });

TEST(CliSettings, AmbiguousNameListsTheChoices) {
    CliRig rig;
    EXPECT_EQ(rig.Run({"settings", "--orientation", "reverse"}), 1);
    EXPECT_EQ(rig.err.str(),
              "tessaline-cli: --orientation 'reverse' names more than one entry; give a number or "
              "the first words of one of:\n  0  Portrait\n  1  Landscape\n  2  Reverse Portrait\n"
              "  3  Reverse Landscape\n");
}

// Its own code: on Windows the store is the registry, and no file is involved.
TEST(CliSettings, WriteFailureHasItsOwnExitCode) {
    CliRig rig;
    rig.registry.refuseSet = {kSection};
    EXPECT_EQ(rig.Run({"settings", "--page-size", "A3", "--orientation", "0"}), 8);
    EXPECT_EQ(rig.err.str(),
              "tessaline-cli: \"Page Size\" could not be stored; nothing after it was stored "
              "either\n");
}

}  // namespace
}  // namespace tessaline
