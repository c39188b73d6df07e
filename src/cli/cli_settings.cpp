#include "cli/cli_settings.h"

#include <ostream>
#include <string>
#include <vector>

#include "cli/cli_exit.h"
#include "cli/cli_json.h"
#include "settings/print_settings.h"
#include "settings/setting_names.h"

namespace tessaline {
namespace {

struct SettingRow {
    const char* entry;  // the stored value's name, which is also the label shown
    const char* jsonKey;
    const std::vector<std::string>& (*names)();
    const char* option;
};

const SettingRow kRows[] = {
    {kPageSizeEntry, "page_size", &PageSizeNames, "--page-size"},
    {kPageOrientationEntry, "orientation", &OrientationNames, "--orientation"},
};

std::string ShownValue(std::optional<std::int32_t> value, const std::vector<std::string>& names) {
    if (!value) {
        return "not set";
    }
    const std::string name = SettingName(names, *value);
    if (!name.empty()) {
        return std::to_string(*value) + ", " + name;
    }
    return std::to_string(*value) + (*value == -1 ? ", no entry chosen" : ", not in the list");
}

std::string ChoicesText(const std::vector<std::string>& names) {
    std::string text;
    for (std::size_t i = 0; i < names.size(); ++i) {
        text += "\n  " + std::to_string(i) + "  " + names[i];
    }
    return text;
}

// Resolves the given text to a list position, or says why not on stderr.
bool Resolve(CliPlatform& platform, const SettingRow& row, const std::string& given,
             std::int32_t* index) {
    const std::vector<std::string>& names = row.names();
    const SettingChoice choice = FindSetting(names, given);
    if (choice.match == NameMatch::Found) {
        *index = choice.index;
        return true;
    }
    platform.err << "tessaline-cli: " << row.option << " '" << given << "' "
                 << (choice.match == NameMatch::Ambiguous ? "names more than one entry"
                                                          : "is not in the list")
                 << "; give a number or the first words of one of:" << ChoicesText(names) << '\n';
    return false;
}

}  // namespace

std::optional<std::int32_t> ReadStoredSetting(ProfileStore& profile, const char* entry) {
    const std::int32_t first = profile.GetProfileInt(kPrintSettingsSection, entry, 0);
    if (first != 0) {
        return first;
    }
    if (profile.GetProfileInt(kPrintSettingsSection, entry, 1) == 0) {
        return 0;
    }
    return std::nullopt;
}

int RunSettings(const CliOptions& options, CliPlatform& platform) {
    const std::optional<std::string>* given[] = {&options.pageSize, &options.orientation};
    std::optional<std::int32_t> chosen[2];
    // Every name is checked before anything is stored, so a bad one changes nothing.
    for (int i = 0; i < 2; ++i) {
        if (*given[i]) {
            std::int32_t index = 0;
            if (!Resolve(platform, kRows[i], **given[i], &index)) {
                return kExitUsage;
            }
            chosen[i] = index;
        }
    }
    // Page size first, as the window's Print Setup stores them.
    for (int i = 0; i < 2; ++i) {
        if (chosen[i] &&
            !platform.profile.WriteProfileInt(kPrintSettingsSection, kRows[i].entry, *chosen[i])) {
            platform.err << "tessaline-cli: \"" << kRows[i].entry
                         << "\" could not be stored; nothing after it was stored either\n";
            return kExitSettingsNotStored;
        }
    }

    JsonObject json;
    for (const SettingRow& row : kRows) {
        const std::optional<std::int32_t> value = ReadStoredSetting(platform.profile, row.entry);
        if (!options.json) {
            platform.out << row.entry << ": " << ShownValue(value, row.names()) << '\n';
            continue;
        }
        json.NumberOrNull(row.jsonKey, value);
        json.StringOrNull(std::string(row.jsonKey) + "_text",
                          value ? SettingName(row.names(), *value) : std::string());
    }
    if (options.json) {
        platform.out << json.Text() << '\n';
    }
    return kExitOk;
}

}  // namespace tessaline
