#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tessaline {

// A JSON string literal, with every control byte and non-ASCII byte escaped.
std::string JsonString(std::string_view text);

// One JSON object on one line, its fields in the order they are added. Keys are written as
// given: they are the program's own names, never the user's text.
class JsonObject {
  public:
    JsonObject& String(std::string_view key, std::string_view value);
    // null for an empty value.
    JsonObject& StringOrNull(std::string_view key, std::string_view value);
    JsonObject& Number(std::string_view key, std::int64_t value);
    JsonObject& NumberOrNull(std::string_view key, std::optional<std::int64_t> value);
    // A number already written out, such as 1.234.
    JsonObject& Decimal(std::string_view key, const std::string& digits);
    JsonObject& Strings(std::string_view key, const std::vector<std::string>& values);
    // An array of elements already written as JSON, such as objects.
    JsonObject& Array(std::string_view key, const std::vector<std::string>& elements);
    JsonObject& Null(std::string_view key);

    std::string Text() const { return "{" + m_fields + "}"; }

  private:
    JsonObject& Field(std::string_view key, const std::string& json);

    std::string m_fields;
};

// Elements already written as JSON, as one array.
std::string JsonArray(const std::vector<std::string>& elements);

}  // namespace tessaline
