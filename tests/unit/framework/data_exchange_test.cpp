#include "framework/data_exchange.h"

#include <gtest/gtest.h>

#include <ostream>

#include <string>
#include <vector>

#include "fakes/fake_controls.h"

namespace tessaline {
namespace {

using Calls = std::vector<std::string>;
constexpr int kField = 1000;
constexpr int kList = 1007;
constexpr int kCombo = 1005;

// ---- Text, refresh: the control is written only when its text differs.

struct TextRefreshCase {
    const char* name;
    std::string controlText;
    std::string member;
    Calls calls;
    std::string textAfter;
};

void PrintTo(const TextRefreshCase& c, std::ostream* os) {
    *os << c.name;
}

class TextRefresh : public testing::TestWithParam<TextRefreshCase> {};

TEST_P(TextRefresh, SetsOnlyWhenDifferent) {
    const TextRefreshCase& c = GetParam();
    FakeControls controls;
    controls.Add(kField).text = c.controlText;
    std::string member = c.member;

    DataExchange dx(controls, ExchangeDirection::Refresh);
    dx.Text(kField, member);

    EXPECT_EQ(controls.calls, c.calls);
    EXPECT_EQ(controls.controls[kField].text, c.textAfter);
    EXPECT_EQ(member, c.member);
    EXPECT_TRUE(dx.Succeeded());
}

INSTANTIATE_TEST_SUITE_P(
    DataExchange, TextRefresh,
    testing::Values(
        TextRefreshCase{"Same", "4-11", "4-11", {"GetText(1000)"}, "4-11"},
        TextRefreshCase{"BothEmpty", "", "", {"GetText(1000)"}, ""},
        TextRefreshCase{
            "Differs", "typed", "4-11", {"GetText(1000)", "SetText(1000,4-11)"}, "4-11"},
        TextRefreshCase{"MemberEmpty",
                        "(Browse or Drag and Drop file)",
                        "",
                        {"GetText(1000)", "SetText(1000,)"},
                        ""},
        TextRefreshCase{
            "DiffersOnlyInTrailingSpace", "7", "7 ", {"GetText(1000)", "SetText(1000,7 )"}, "7 "},
        TextRefreshCase{
            "DiffersOnlyInCase", "abc", "ABC", {"GetText(1000)", "SetText(1000,ABC)"}, "ABC"}),
    [](const testing::TestParamInfo<TextRefreshCase>& p) { return p.param.name; });

// ---- Text, take: the whole text, unchanged.

struct TextTakeCase {
    const char* name;
    std::string controlText;
};

void PrintTo(const TextTakeCase& c, std::ostream* os) {
    *os << c.name;
}

class TextTake : public testing::TestWithParam<TextTakeCase> {};

TEST_P(TextTake, CopiesWholeTextUnchanged) {
    FakeControls controls;
    controls.Add(kField).text = GetParam().controlText;
    std::string member = "old";

    DataExchange dx(controls, ExchangeDirection::Take);
    dx.Text(kField, member);

    EXPECT_EQ(member, GetParam().controlText);
    EXPECT_EQ(controls.calls, Calls{"GetText(1000)"});
    EXPECT_TRUE(dx.Succeeded());
}

INSTANTIATE_TEST_SUITE_P(
    DataExchange, TextTake,
    testing::Values(TextTakeCase{"Empty", ""}, TextTakeCase{"Spaces", "  12  "},
                    TextTakeCase{"TabsAndBreaks", "\t4-11\r\n"},
                    TextTakeCase{"Prompt", "(Browse or Drag and Drop file)"},
                    TextTakeCase{"HighBytes", "C:\\Fichiers\\mis\xe0 jour.kmf"},
                    TextTakeCase{"LongPath", "C:\\" + std::string(40000, 'x') + ".kmf"}),
    [](const testing::TestParamInfo<TextTakeCase>& p) { return p.param.name; });

// ---- Drop-down list position.

struct ListRefreshCase {
    const char* name;
    int member;
    int selectionAfter;
};

void PrintTo(const ListRefreshCase& c, std::ostream* os) {
    *os << c.name;
}

class ListRefresh : public testing::TestWithParam<ListRefreshCase> {};

TEST_P(ListRefresh, SelectsMemberPositionOrNothing) {
    const ListRefreshCase& c = GetParam();
    FakeControls controls;
    FakeControl& list = controls.Add(kList);
    list.entries = {"Executive", "Letter", "Legal", "Ledger", "A4"};
    list.selection = 1;
    std::int32_t member = c.member;

    DataExchange dx(controls, ExchangeDirection::Refresh);
    dx.ListIndex(kList, member);

    // The member's value goes to the list as it is, never clamped.
    EXPECT_EQ(controls.calls, Calls{"SetSel(1007," + std::to_string(c.member) + ")"});
    EXPECT_EQ(controls.controls[kList].selection, c.selectionAfter);
    EXPECT_EQ(member, c.member);
    EXPECT_TRUE(dx.Succeeded());
}

INSTANTIATE_TEST_SUITE_P(
    DataExchange, ListRefresh,
    testing::Values(ListRefreshCase{"First", 0, 0}, ListRefreshCase{"Last", 4, 4},
                    ListRefreshCase{"None", -1, -1}, ListRefreshCase{"PastEnd", 5, -1},
                    ListRefreshCase{"FarPastEnd", 12, -1}, ListRefreshCase{"Negative", -7, -1}),
    [](const testing::TestParamInfo<ListRefreshCase>& p) { return p.param.name; });

struct ListTakeCase {
    const char* name;
    int selection;
    int memberAfter;
};

void PrintTo(const ListTakeCase& c, std::ostream* os) {
    *os << c.name;
}

class ListTake : public testing::TestWithParam<ListTakeCase> {};

TEST_P(ListTake, StoresSelectionOrMinusOne) {
    FakeControls controls;
    FakeControl& list = controls.Add(kList);
    list.entries = {"Portrait", "Landscape", "Reverse Portrait", "Reverse Landscape"};
    list.selection = GetParam().selection;
    std::int32_t member = 3;

    DataExchange dx(controls, ExchangeDirection::Take);
    dx.ListIndex(kList, member);

    EXPECT_EQ(member, GetParam().memberAfter);
    EXPECT_EQ(controls.calls, Calls{"GetSel(1007)"});
    EXPECT_TRUE(dx.Succeeded());
}

INSTANTIATE_TEST_SUITE_P(DataExchange, ListTake,
                         testing::Values(ListTakeCase{"NoneSelected", -1, -1},
                                         ListTakeCase{"First", 0, 0}, ListTakeCase{"Second", 1, 1}),
                         [](const testing::TestParamInfo<ListTakeCase>& p) {
                             return p.param.name;
                         });

// ---- Control attachment.

TEST(DataExchangeControl, RefreshAttachesOnlyTheFirstTime) {
    FakeControls controls;
    controls.Add(kCombo, 0xABCD);
    ControlObject combo;

    DataExchange first(controls, ExchangeDirection::Refresh);
    first.Control(kCombo, combo);
    controls.controls[kCombo].handle = 0x9999;
    DataExchange second(controls, ExchangeDirection::Refresh);
    second.Control(kCombo, combo);

    EXPECT_EQ(combo.NativeHandle(), 0xABCDu);
    EXPECT_EQ(controls.calls, Calls{"Handle(1005)"});
    EXPECT_TRUE(first.Succeeded());
    EXPECT_TRUE(second.Succeeded());
}

TEST(DataExchangeControl, TakeDoesNothing) {
    FakeControls controls;
    controls.Add(kCombo, 0xABCD);
    ControlObject combo;

    DataExchange dx(controls, ExchangeDirection::Take);
    dx.Control(kCombo, combo);

    EXPECT_FALSE(combo.IsAttached());
    EXPECT_TRUE(controls.calls.empty());
    EXPECT_TRUE(dx.Succeeded());
}

TEST(DataExchangeControl, MissingControlFailsTheExchange) {
    FakeControls controls;
    ControlObject combo;

    DataExchange dx(controls, ExchangeDirection::Refresh);
    dx.Control(kCombo, combo);

    EXPECT_FALSE(combo.IsAttached());
    EXPECT_FALSE(dx.Succeeded());
}

}  // namespace
}  // namespace tessaline
