#include "settings/setting_names.h"

#include <cctype>
#include <iterator>
#include <limits>

#include "base/decimal.h"
#include "settings/page_sizes.h"

namespace tessaline {
namespace {

std::vector<std::string> Words(std::string_view text) {
    std::vector<std::string> words;
    std::string word;
    for (const char c : text) {
        if (c == ' ' || c == '\t') {
            if (!word.empty()) {
                words.push_back(word);
                word.clear();
            }
            continue;
        }
        word += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    if (!word.empty()) {
        words.push_back(word);
    }
    return words;
}

bool StartsWithWords(const std::vector<std::string>& entry, const std::vector<std::string>& given) {
    if (given.empty() || given.size() > entry.size()) {
        return false;
    }
    for (std::size_t i = 0; i < given.size(); ++i) {
        if (entry[i] != given[i]) {
            return false;
        }
    }
    return true;
}

}  // namespace

const std::vector<std::string>& PageSizeNames() {
    static const std::vector<std::string> names = [] {
        std::vector<std::string> list;
        for (const PageSize& size : kPageSizes) {
            list.emplace_back(size.name);
        }
        return list;
    }();
    return names;
}

const std::vector<std::string>& OrientationNames() {
    static const std::vector<std::string> names(std::begin(kOrientationNames),
                                                std::end(kOrientationNames));
    return names;
}

std::string SettingName(const std::vector<std::string>& names, std::int32_t index) {
    if (index < 0 || static_cast<std::size_t>(index) >= names.size()) {
        return {};
    }
    return names[static_cast<std::size_t>(index)];
}

SettingChoice FindSetting(const std::vector<std::string>& names, std::string_view given) {
    SettingChoice choice;
    // Only plain decimal positions: "+1" or "1x" are not numbers here.
    if (const auto index =
            ParseDecimal(given, 0, std::numeric_limits<std::int32_t>::max(), Sign::NotAllowed)) {
        if (static_cast<std::size_t>(*index) < names.size()) {
            choice.match = NameMatch::Found;
            choice.index = static_cast<std::int32_t>(*index);
        }
        return choice;
    }
    const std::vector<std::string> words = Words(given);
    for (std::size_t i = 0; i < names.size(); ++i) {
        const std::vector<std::string> entry = Words(names[i]);
        if (!StartsWithWords(entry, words)) {
            continue;
        }
        // The whole text is always that entry, even if it also begins a longer one.
        if (entry.size() == words.size()) {
            choice.candidates.assign(1, names[i]);
            choice.index = static_cast<std::int32_t>(i);
            choice.match = NameMatch::Found;
            return choice;
        }
        choice.candidates.push_back(names[i]);
        choice.index = static_cast<std::int32_t>(i);
    }
    if (choice.candidates.size() == 1) {
        choice.match = NameMatch::Found;
    } else if (choice.candidates.size() > 1) {
        choice.match = NameMatch::Ambiguous;
        choice.index = -1;
    } else {
        choice.index = -1;
    }
    return choice;
}

}  // namespace tessaline
