#pragma once

#include <cstdint>
#include <string>

#include "platform/registry.h"
#include "settings/scoped_registry_key.h"
#include "settings/settings_key.h"

namespace tessaline {

// The per-user profile under HKCU\software\<maker>\<application>\<section>. Every call opens
// and closes all its keys afresh. "software" is only opened; the keys below it are created
// when missing, on reads as well as on writes.
class ProfileStore {
  public:
    ProfileStore(Registry& registry, std::string makerKey, std::string applicationName);

    // At most 4 bytes of the value, as a signed 32-bit integer; fewer bytes are zero-extended.
    // A missing value, a longer one or any key failure gives defaultValue. Never stores a value.
    std::int32_t GetProfileInt(const char* section, const char* entry, std::int32_t defaultValue);
    // Stores value as REG_DWORD; returns whether it was stored (callers ignore it).
    bool WriteProfileInt(const char* section, const char* entry, std::int32_t value);

  private:
    // The section's key, holding no key when any level could not be opened or created.
    ScopedRegistryKey OpenSection(const char* section);

    Registry& m_registry;
    std::string m_makerKey;
    std::string m_applicationName;
};

// Page size and orientation as list positions; -1 means no entry chosen.
struct PrintSettings {
    std::int32_t pageSizeIndex;
    std::int32_t orientationIndex;
};

// What the form tests read: Letter (1) and Portrait (0) when nothing is stored.
PrintSettings ReadFormTestSettings(ProfileStore& profile);
// What Print Setup reads: -1 and -1 when nothing is stored.
PrintSettings ReadPrintSetupSettings(ProfileStore& profile);
// Page size first, then orientation; failures are silent.
void WritePrintSettings(ProfileStore& profile, const PrintSettings& settings);

}  // namespace tessaline
