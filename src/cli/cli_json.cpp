#include "cli/cli_json.h"

#include <cstdio>

namespace tessaline {

std::string JsonString(std::string_view text) {
    std::string json = "\"";
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            json += '\\';
            json += c;
        } else if (byte >= 0x20 && byte < 0x7F) {
            json += c;
        } else {
            // Names are single-byte text in the system's code page, not UTF-8: each byte is
            // kept as the code point of the same number, so nothing is lost or invalid.
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04x", byte);
            json += escaped;
        }
    }
    json += '"';
    return json;
}

JsonObject& JsonObject::String(std::string_view key, std::string_view value) {
    return Field(key, JsonString(value));
}

JsonObject& JsonObject::StringOrNull(std::string_view key, std::string_view value) {
    return value.empty() ? Null(key) : String(key, value);
}

JsonObject& JsonObject::Number(std::string_view key, std::int64_t value) {
    return Field(key, std::to_string(value));
}

JsonObject& JsonObject::NumberOrNull(std::string_view key, std::optional<std::int64_t> value) {
    return value ? Number(key, *value) : Null(key);
}

JsonObject& JsonObject::Decimal(std::string_view key, const std::string& digits) {
    return Field(key, digits);
}

JsonObject& JsonObject::Strings(std::string_view key, const std::vector<std::string>& values) {
    std::vector<std::string> elements;
    for (const std::string& value : values) {
        elements.push_back(JsonString(value));
    }
    return Field(key, JsonArray(elements));
}

JsonObject& JsonObject::Array(std::string_view key, const std::vector<std::string>& elements) {
    return Field(key, JsonArray(elements));
}

JsonObject& JsonObject::Null(std::string_view key) {
    return Field(key, "null");
}

JsonObject& JsonObject::Field(std::string_view key, const std::string& json) {
    if (!m_fields.empty()) {
        m_fields += ',';
    }
    m_fields += '"';
    m_fields += key;
    m_fields += "\":";
    m_fields += json;
    return *this;
}

std::string JsonArray(const std::vector<std::string>& elements) {
    std::string json = "[";
    for (std::size_t i = 0; i < elements.size(); ++i) {
        json += (i == 0 ? "" : ",") + elements[i];
    }
    return json + "]";
}

}  // namespace tessaline
