#include "cli/cli_json.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

namespace tessaline {
namespace {

TEST(CliJson, JsonStringEscapes) {
    EXPECT_EQ(JsonString("Laser 5"), "\"Laser 5\"");
    EXPECT_EQ(JsonString("\\\\srv\\q\"1\""), "\"\\\\\\\\srv\\\\q\\\"1\\\"\"");
    EXPECT_EQ(JsonString(std::string("a\nb\0c\x7f\xe9", 7)), "\"a\\u000ab\\u0000c\\u007f\\u00e9\"");
}

struct ObjectCase {
    const char* name;
    std::function<void(JsonObject&)> build;
    const char* json;
};

const ObjectCase kObjectCases[] = {
    {"Empty", [](JsonObject&) {}, "{}"},
    {"FieldsInTheOrderAdded", [](JsonObject& o) { o.Number("z", 1).String("a", "x").Null("m"); },
     "{\"z\":1,\"a\":\"x\",\"m\":null}"},
    {"StringEscaped", [](JsonObject& o) { o.String("s", "a\"b\n"); }, "{\"s\":\"a\\\"b\\u000a\"}"},
    {"EmptyStringOrNull", [](JsonObject& o) { o.StringOrNull("s", "").StringOrNull("t", "x"); },
     "{\"s\":null,\"t\":\"x\"}"},
    {"Numbers",
     [](JsonObject& o) { o.Number("n", -5).Number("big", 4294967295).Number("zero", 0); },
     "{\"n\":-5,\"big\":4294967295,\"zero\":0}"},
    {"NumberOrNull", [](JsonObject& o) { o.NumberOrNull("a", std::nullopt).NumberOrNull("b", 0); },
     "{\"a\":null,\"b\":0}"},
    {"DecimalAsWritten", [](JsonObject& o) { o.Decimal("seconds", "1.050"); },
     "{\"seconds\":1.050}"},
    {"StringArrays",
     [](JsonObject& o) {
         o.Strings("none", {}).Strings("two", {"a", "b\\"});
     },
     "{\"none\":[],\"two\":[\"a\",\"b\\\\\"]}"},
};

TEST(CliJson, ObjectWriter) {
    for (const ObjectCase& c : kObjectCases) {
        JsonObject object;
        c.build(object);
        EXPECT_EQ(object.Text(), c.json) << c.name;
    }
}

TEST(CliJson, ArrayOfWrittenElements) {
    EXPECT_EQ(JsonArray({}), "[]");
    EXPECT_EQ(JsonArray({"{}", "1", "\"a\""}), "[{},1,\"a\"]");
}

}  // namespace
}  // namespace tessaline
