#include "platform/posix/ini_registry.h"

#include <cstdio>
#include <cstring>

#include "platform/posix/atomic_file.h"
#include "platform/posix/ini_text.h"

namespace tessaline {
namespace {

// software, maker, application, section.
constexpr int kSectionDepth = 4;

// Two entries need a few dozen bytes; a file far larger is not the settings file.
constexpr std::size_t kFileLimit = 1u << 20;

}  // namespace

IniRegistry::IniRegistry(std::string path, RenameFunction rename)
    : m_path(std::move(path)), m_rename(rename != nullptr ? rename : &::rename) {}

bool IniRegistry::Reach(RegistryKey parent, const char* name, RegistryKey* key) {
    int depth = 0;
    if (parent != kCurrentUserKey) {
        const auto found = m_keys.find(parent);
        if (found == m_keys.end() || found->second.depth >= kSectionDepth) {
            return false;
        }
        depth = found->second.depth;
    }
    const RegistryKey handle = m_nextKey++;
    m_keys[handle] = KeyInfo{depth + 1, name};
    *key = handle;
    return true;
}

bool IniRegistry::OpenKey(RegistryKey parent, const char* name, RegistryKey* key) {
    return Reach(parent, name, key);
}

bool IniRegistry::CreateKey(RegistryKey parent, const char* name, RegistryKey* key) {
    return Reach(parent, name, key);
}

const IniRegistry::KeyInfo* IniRegistry::Section(RegistryKey key) const {
    const auto found = m_keys.find(key);
    if (found == m_keys.end() || found->second.depth != kSectionDepth) {
        return nullptr;
    }
    return &found->second;
}

bool IniRegistry::QueryValue(RegistryKey key, const char* name, std::uint32_t* type, void* data,
                             std::uint32_t* size) {
    const KeyInfo* section = Section(key);
    std::string text;
    if (section == nullptr || m_path.empty() ||
        ReadSmallFile(m_path, kFileLimit, &text) != SmallFileRead::Read) {
        return false;
    }
    const std::optional<std::string> stored = FindIniValue(text, section->section, name);
    const std::optional<std::int32_t> value =
        stored ? ParseInt32(*stored) : std::optional<std::int32_t>();
    if (!value) {
        return false;
    }
    const std::uint32_t bits = static_cast<std::uint32_t>(*value);
    unsigned char bytes[4];
    for (int i = 0; i < 4; ++i) {
        bytes[i] = static_cast<unsigned char>(bits >> (8 * i));
    }
    if (type != nullptr) {
        *type = kRegDword;
    }
    if (data == nullptr || *size < sizeof bytes) {
        *size = sizeof bytes;
        return data == nullptr;
    }
    std::memcpy(data, bytes, sizeof bytes);
    *size = sizeof bytes;
    return true;
}

bool IniRegistry::SetDwordValue(RegistryKey key, const char* name, std::uint32_t value) {
    const KeyInfo* section = Section(key);
    if (section == nullptr || m_path.empty()) {
        return false;
    }
    std::string text;
    // A file that exists but cannot be read is left alone rather than replaced blindly.
    if (ReadSmallFile(m_path, kFileLimit, &text) == SmallFileRead::Failed) {
        return false;
    }
    // Stored as the signed number the reader gets back (0xFFFFFFFF is -1).
    const std::int64_t signedValue =
        value <= 0x7FFFFFFFu ? std::int64_t{value} : std::int64_t{value} - 0x100000000LL;
    const std::string updated =
        SetIniValue(text, section->section, name, std::to_string(signedValue));
    return ReplaceFileAtomically(m_path, updated, m_rename);
}

void IniRegistry::CloseKey(RegistryKey key) {
    m_keys.erase(key);
}

std::string PrintSettingsFilePath(const char* xdgConfigHome, const char* home) {
    // Relative values are invalid by the XDG rules and ignored.
    const auto absolute = [](const char* folder) { return folder != nullptr && folder[0] == '/'; };
    const auto withoutSlashes = [](std::string folder) {
        while (!folder.empty() && folder.back() == '/') {
            folder.pop_back();
        }
        return folder;
    };
    if (absolute(xdgConfigHome)) {
        return withoutSlashes(xdgConfigHome) + "/korvane/tessaline/print-settings.ini";
    }
    if (absolute(home)) {
        return withoutSlashes(home) + "/.config/korvane/tessaline/print-settings.ini";
    }
    return std::string();
}

}  // namespace tessaline
