#include "cli/cli_report.h"

#include <gtest/gtest.h>

#include <string>

namespace tessaline {
namespace {

TEST(CliReport, JsonStringEscapes) {
    EXPECT_EQ(JsonString("Laser 5"), "\"Laser 5\"");
    EXPECT_EQ(JsonString("\\\\srv\\q\"1\""), "\"\\\\\\\\srv\\\\q\\\"1\\\"\"");
    EXPECT_EQ(JsonString(std::string("a\nb\0c\x7f\xe9", 7)), "\"a\\u000ab\\u0000c\\u007f\\u00e9\"");
}

}  // namespace
}  // namespace tessaline
