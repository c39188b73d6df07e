#include "settings/settings_key.h"

namespace tessaline {

std::vector<std::string> SettingsKeyPath(const std::string& maker, const std::string& application,
                                         const std::string& section) {
    return {kSoftwareKey, maker, application, section};
}

}  // namespace tessaline
