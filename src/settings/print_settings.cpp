#include "settings/print_settings.h"

#include <utility>

namespace tessaline {
namespace {

constexpr char kSoftwareKey[] = "software";

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

bool ProfileStore::OpenSection(const char* section, RegistryKey* key) {
    RegistryKey software = 0;
    if (!m_registry.OpenKey(Registry::kCurrentUserKey, kSoftwareKey, &software)) {
        return false;
    }
    // Each parent is closed as soon as its child is reached, so only the section key survives.
    RegistryKey maker = 0;
    const bool haveMaker = m_registry.CreateKey(software, m_makerKey.c_str(), &maker);
    m_registry.CloseKey(software);
    if (!haveMaker) {
        return false;
    }
    RegistryKey application = 0;
    const bool haveApplication =
        m_registry.CreateKey(maker, m_applicationName.c_str(), &application);
    m_registry.CloseKey(maker);
    if (!haveApplication) {
        return false;
    }
    const bool haveSection = m_registry.CreateKey(application, section, key);
    m_registry.CloseKey(application);
    return haveSection;
}

std::int32_t ProfileStore::GetProfileInt(const char* section, const char* entry,
                                         std::int32_t defaultValue) {
    RegistryKey key = 0;
    if (!OpenSection(section, &key)) {
        return defaultValue;
    }
    unsigned char data[4] = {0, 0, 0, 0};
    std::uint32_t type = kRegNone;
    std::uint32_t size = sizeof data;
    const bool read = m_registry.QueryValue(key, entry, &type, data, &size);
    m_registry.CloseKey(key);
    if (!read) {
        return defaultValue;
    }
    // Shorter values leave the upper bytes zero; the type is deliberately not looked at.
    const std::uint32_t bits =
        static_cast<std::uint32_t>(data[0]) | static_cast<std::uint32_t>(data[1]) << 8 |
        static_cast<std::uint32_t>(data[2]) << 16 | static_cast<std::uint32_t>(data[3]) << 24;
    return SignedFromBits(bits);
}

bool ProfileStore::WriteProfileInt(const char* section, const char* entry, std::int32_t value) {
    RegistryKey key = 0;
    if (!OpenSection(section, &key)) {
        return false;
    }
    const bool stored = m_registry.SetDwordValue(key, entry, static_cast<std::uint32_t>(value));
    m_registry.CloseKey(key);
    return stored;
}

PrintSettings ReadFormTestSettings(ProfileStore& profile) {
    PrintSettings settings{};
    settings.pageSizeIndex = profile.GetProfileInt(kPrintSettingsSection, kPageSizeEntry, 1);
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
