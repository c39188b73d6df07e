#include "settings/print_settings.h"

#include <string>
#include <utility>
#include <vector>

#include "settings/page_sizes.h"

namespace tessaline {
namespace {

// Two's complement reading of the stored bits, without relying on how a cast treats them.
std::int32_t SignedFromBits(std::uint32_t bits) {
    if (bits <= 0x7FFFFFFFu) {
        return static_cast<std::int32_t>(bits);
    }
    return static_cast<std::int32_t>(bits - 0x80000000u) - 0x7FFFFFFF - 1;
}

}  // namespace

ProfileStore::ProfileStore(Registry& registry, std::string makerKey, std::string applicationName)
    : m_registry(registry),
      m_makerKey(std::move(makerKey)),
      m_applicationName(std::move(applicationName)) {}

ScopedRegistryKey ProfileStore::OpenSection(const char* section) {
    const std::vector<std::string> path = SettingsKeyPath(m_makerKey, m_applicationName, section);
    ScopedRegistryKey key =
        ScopedRegistryKey::Open(m_registry, Registry::kCurrentUserKey, path.front().c_str());
    // Each child takes its parent's place, which closes the parent once the child is reached
    // (or has failed), so only the section key survives.
    for (std::size_t i = 1; i < path.size() && key.IsOpen(); ++i) {
        key = ScopedRegistryKey::Create(m_registry, key.Get(), path[i].c_str());
    }
    return key;
}

std::int32_t ProfileStore::GetProfileInt(const char* section, const char* entry,
                                         std::int32_t defaultValue) {
    const ScopedRegistryKey key = OpenSection(section);
    if (!key.IsOpen()) {
        return defaultValue;
    }
    unsigned char data[4] = {0, 0, 0, 0};
    std::uint32_t type = kRegNone;
    std::uint32_t size = sizeof data;
    if (!m_registry.QueryValue(key.Get(), entry, &type, data, &size)) {
        return defaultValue;
    }
    // Shorter values leave the upper bytes zero; the type is deliberately not looked at.
    const std::uint32_t bits =
        static_cast<std::uint32_t>(data[0]) | static_cast<std::uint32_t>(data[1]) << 8 |
        static_cast<std::uint32_t>(data[2]) << 16 | static_cast<std::uint32_t>(data[3]) << 24;
    return SignedFromBits(bits);
}

bool ProfileStore::WriteProfileInt(const char* section, const char* entry, std::int32_t value) {
    const ScopedRegistryKey key = OpenSection(section);
    return key.IsOpen() &&
           m_registry.SetDwordValue(key.Get(), entry, static_cast<std::uint32_t>(value));
}

PrintSettings ReadFormTestSettings(ProfileStore& profile) {
    PrintSettings settings{};
    settings.pageSizeIndex =
        profile.GetProfileInt(kPrintSettingsSection, kPageSizeEntry, kDefaultPageSizeIndex);
    settings.orientationIndex =
        profile.GetProfileInt(kPrintSettingsSection, kPageOrientationEntry, 0);
    return settings;
}

PrintSettings ReadPrintSetupSettings(ProfileStore& profile) {
    PrintSettings settings{};
    settings.pageSizeIndex = profile.GetProfileInt(kPrintSettingsSection, kPageSizeEntry, -1);
    settings.orientationIndex =
        profile.GetProfileInt(kPrintSettingsSection, kPageOrientationEntry, -1);
    return settings;
}

void WritePrintSettings(ProfileStore& profile, const PrintSettings& settings) {
    profile.WriteProfileInt(kPrintSettingsSection, kPageSizeEntry, settings.pageSizeIndex);
    profile.WriteProfileInt(kPrintSettingsSection, kPageOrientationEntry,
                            settings.orientationIndex);
}

}  // namespace tessaline
