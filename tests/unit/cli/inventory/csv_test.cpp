#include "cli/inventory/csv.h"

#include <gtest/gtest.h>

namespace tessaline {
namespace {

TEST(Csv, QuotesAsRfc4180AndDisarmsFormulas) {
    const struct {
        const char* name;
        std::string in;
        std::string out;
    } cases[] = {
        {"plain", "Module", "Module"},
        {"empty", "", ""},
        {"comma", "a,b", "\"a,b\""},
        {"quote", "say \"hi\"", "\"say \"\"hi\"\"\""},
        {"newline", "a\nb", "\"a\nb\""},
        {"CR", "a\rb", "\"a\rb\""},
        {"formula", "=HYPERLINK(\"x\")", "\"'=HYPERLINK(\"\"x\"\")\""},
        {"plus", "+1", "\"'+1\""},
        {"minus", "-2.1", "\"'-2.1\""},
        {"at", "@SUM(A1)", "\"'@SUM(A1)\""},
        {"tab first", "\tx", "\"'\tx\""},
        {"minus later is fine", "2.1-beta", "2.1-beta"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(CsvCell(c.in), c.out) << c.name;
    }
}

TEST(Csv, RecordEndsInCrLfAndLeavesAbsentCellsEmpty) {
    EXPECT_EQ(CsvRecord({std::string("a"), std::nullopt, std::string("b,c")}), "a,,\"b,c\"\r\n");
    EXPECT_EQ(CsvRecord({std::nullopt}), "\r\n");
}

}  // namespace
}  // namespace tessaline
