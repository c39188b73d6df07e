#include "framework/dialog_init_data.h"

#include <gtest/gtest.h>

#include <ostream>

#include <string>
#include <vector>

namespace tessaline {
namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes Of(std::initializer_list<int> values) {
    Bytes bytes;
    for (int v : values) {
        bytes.push_back(static_cast<std::uint8_t>(v));
    }
    return bytes;
}

// ---- Dialog initial data.

struct InitDataCase {
    const char* name;
    Bytes data;
    bool valid;
    std::vector<std::pair<int, std::string>> entries;
};

void PrintTo(const InitDataCase& c, std::ostream* os) {
    *os << c.name;
}

class InitDataParse : public testing::TestWithParam<InitDataCase> {};

TEST_P(InitDataParse, EntriesInOrderOrNothing) {
    const InitDataCase& c = GetParam();
    const auto parsed = ParseDialogInitData(c.data.data(), c.data.size());
    ASSERT_EQ(parsed.has_value(), c.valid);
    if (!c.valid) {
        return;
    }
    std::vector<std::pair<int, std::string>> entries;
    for (const InitDataEntry& e : *parsed) {
        entries.emplace_back(e.controlId, e.text);
    }
    EXPECT_EQ(entries, c.entries);
}

INSTANTIATE_TEST_SUITE_P(
    DialogInitData, InitDataParse,
    testing::Values(
        InitDataCase{"OnlyTerminator", Of({0, 0}), true, {}},
        InitDataCase{"TwoListsOddLengths",
                     Of({0xEE, 0x03, 0x43, 0x01, 'A', '4', 0,       // 1006 "A4"
                         0xEF, 0x03, 0x43, 0x01, 'L', 'e', 't', 0,  // 1007 "Let"
                         0xEE, 0x03, 0x43, 0x01, 0,                 // 1006 ""
                         0,    0}),
                     true,
                     {{1006, "A4"}, {1007, "Let"}, {1006, ""}}},
        InitDataCase{"BytesAfterTerminatorIgnored", Of({0, 0, 0xFF, 0xFF}), true, {}},
        InitDataCase{
            "HighByteText", Of({0xEE, 0x03, 0x43, 0x01, 0xE0, 0, 0, 0}), true, {{1006, "\xe0"}}},
        InitDataCase{"Empty", Of({}), false, {}},
        InitDataCase{"HalfTerminator", Of({0}), false, {}},
        InitDataCase{"NoTerminator", Of({0xEE, 0x03, 0x43, 0x01, 'A', 0}), false, {}},
        InitDataCase{"TextWithoutNul", Of({0xEE, 0x03, 0x43, 0x01, 'A', '4'}), false, {}},
        InitDataCase{"MessageCut", Of({0xEE, 0x03, 0x43}), false, {}},
        InitDataCase{"OtherMessage", Of({0xEE, 0x03, 0x80, 0x01, 'A', 0, 0, 0}), false, {}}),
    [](const testing::TestParamInfo<InitDataCase>& p) { return p.param.name; });

}  // namespace
}  // namespace tessaline
