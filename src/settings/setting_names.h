#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tessaline {

// The texts of the Print Setup lists, by list position.
const std::vector<std::string>& PageSizeNames();
const std::vector<std::string>& OrientationNames();

// The list text for a stored position; empty for a position outside the list.
std::string SettingName(const std::vector<std::string>& names, std::int32_t index);

enum class NameMatch {
    Found,
    NotFound,
    Ambiguous,  // the words begin several entries
};

struct SettingChoice {
    NameMatch match = NameMatch::NotFound;
    std::int32_t index = -1;
    std::vector<std::string> candidates;  // with Ambiguous, every entry the words begin
};

// A list position given as its number or as the first words of its text, compared word by
// word without regard to case: "A4", "com-10", "Reverse Portrait", "7".
SettingChoice FindSetting(const std::vector<std::string>& names, std::string_view given);

}  // namespace tessaline
