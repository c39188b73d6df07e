#pragma once

#include <cstdint>
#include <map>
#include <string>

#include "platform/registry.h"

namespace tessaline {

// The per-user profile in a settings file instead of the registry. The file's place stands
// for the keys HKCU\software\<maker>\<application>, so those keys are only names here: opening
// or "creating" them touches nothing. A key one level further down is an INI section of the
// file, and its values are the section's entries, stored as decimal text and read back as
// REG_DWORD. Reading never creates the file or its folders; a write creates the missing
// folders and replaces the file atomically (a temporary file in the same folder, flushed to
// disk, renamed over the old one), so an interrupted write leaves the old file whole.
class IniRegistry final : public Registry {
  public:
    using RenameFunction = int (*)(const char* from, const char* to);

    // path empty: there is nowhere to keep settings; reads give defaults, writes fail.
    // rename is the last step of a write; tests pass one that fails.
    explicit IniRegistry(std::string path, RenameFunction rename = nullptr);

    bool OpenKey(RegistryKey parent, const char* name, RegistryKey* key) override;
    bool CreateKey(RegistryKey parent, const char* name, RegistryKey* key) override;
    bool QueryValue(RegistryKey key, const char* name, std::uint32_t* type, void* data,
                    std::uint32_t* size) override;
    bool SetDwordValue(RegistryKey key, const char* name, std::uint32_t value) override;
    void CloseKey(RegistryKey key) override;

  private:
    struct KeyInfo {
        int depth;            // 1 for "software", 4 for a section
        std::string section;  // the name, at depth 4
    };
    bool Reach(RegistryKey parent, const char* name, RegistryKey* key);
    const KeyInfo* Section(RegistryKey key) const;

    std::string m_path;
    RenameFunction m_rename;
    std::map<RegistryKey, KeyInfo> m_keys;
    RegistryKey m_nextKey = 1;
};

// Where the settings file lives: $XDG_CONFIG_HOME, or $HOME/.config when that is unset, empty
// or not an absolute path, then korvane/tessaline/print-settings.ini. Empty when neither
// gives an absolute folder. Either argument may be null.
std::string PrintSettingsFilePath(const char* xdgConfigHome, const char* home);

}  // namespace tessaline
