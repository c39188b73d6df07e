#include "base/decimal.h"

#include <gtest/gtest.h>

#include <string>

namespace tessaline {
namespace {

constexpr std::int64_t kMin32 = -2147483648LL;
constexpr std::int64_t kMax32 = 2147483647LL;

struct DecimalCase {
    const char* text;
    std::int64_t low;
    std::int64_t high;
    Sign sign;
    std::optional<std::int64_t> expected;
};

const DecimalCase kCases[] = {
    // Digits only, whole text.
    {"0", 0, 9, Sign::NotAllowed, 0},
    {"604800", 0, 604800, Sign::NotAllowed, 604800},
    {"007", 0, 9, Sign::NotAllowed, 7},
    {"", 0, 9, Sign::NotAllowed, std::nullopt},
    {" 1", 0, 9, Sign::NotAllowed, std::nullopt},
    {"1 ", 0, 9, Sign::NotAllowed, std::nullopt},
    {"1x", 0, 9, Sign::NotAllowed, std::nullopt},
    {"0x1", 0, 99, Sign::NotAllowed, std::nullopt},
    {"1.0", 0, 9, Sign::NotAllowed, std::nullopt},
    // A sign only where one is allowed, and only one.
    {"+1", 0, 9, Sign::NotAllowed, std::nullopt},
    {"-1", -9, 9, Sign::NotAllowed, std::nullopt},
    {"+1", 0, 9, Sign::Allowed, 1},
    {"-1", -9, 9, Sign::Allowed, -1},
    {"-0", 0, 9, Sign::Allowed, 0},
    {"+", 0, 9, Sign::Allowed, std::nullopt},
    {"-", 0, 9, Sign::Allowed, std::nullopt},
    {"--1", -9, 9, Sign::Allowed, std::nullopt},
    {"+-1", -9, 9, Sign::Allowed, std::nullopt},
    // The bounds, both included.
    {"604801", 0, 604800, Sign::NotAllowed, std::nullopt},
    {"0", 1, 65535, Sign::NotAllowed, std::nullopt},
    {"1", 1, 65535, Sign::NotAllowed, 1},
    {"65535", 1, 65535, Sign::NotAllowed, 65535},
    {"65536", 1, 65535, Sign::NotAllowed, std::nullopt},
    {"-2147483648", kMin32, kMax32, Sign::Allowed, kMin32},
    {"2147483647", kMin32, kMax32, Sign::Allowed, kMax32},
    {"-2147483649", kMin32, kMax32, Sign::Allowed, std::nullopt},
    {"2147483648", kMin32, kMax32, Sign::Allowed, std::nullopt},
    // Far past 64 bits: refused, never wrapped round into range.
    {"18446744073709551617", 0, 9, Sign::NotAllowed, std::nullopt},
    {"99999999999999999999999999999999", kMin32, kMax32, Sign::Allowed, std::nullopt},
    {"-99999999999999999999999999999999", kMin32, kMax32, Sign::Allowed, std::nullopt},
    {"0000000000000000000000000000000005", 0, 9, Sign::NotAllowed, 5},
};

TEST(Decimal, ParsesTheWholeTextStrictly) {
    for (const DecimalCase& c : kCases) {
        SCOPED_TRACE(std::string("'") + c.text + "'");
        EXPECT_EQ(ParseDecimal(c.text, c.low, c.high, c.sign), c.expected);
    }
}

TEST(Decimal, AllDigitsMeansNonEmptyAndNothingElse) {
    EXPECT_TRUE(AllDecimalDigits("0123456789"));
    for (const char* text : {"", "+1", "-1", "1 ", "a", "\xd9"}) {
        EXPECT_FALSE(AllDecimalDigits(text)) << "'" << text << "'";
    }
}

}  // namespace
}  // namespace tessaline
