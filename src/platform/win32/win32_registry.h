#pragma once

#include "platform/registry.h"

namespace tessaline {

// The current user's registry through advapi32's single-byte calls.
class Win32Registry final : public Registry {
  public:
    bool OpenKey(RegistryKey parent, const char* name, RegistryKey* key) override;
    bool CreateKey(RegistryKey parent, const char* name, RegistryKey* key) override;
    bool QueryValue(RegistryKey key, const char* name, std::uint32_t* type, void* data,
                    std::uint32_t* size) override;
    bool SetDwordValue(RegistryKey key, const char* name, std::uint32_t value) override;
    void CloseKey(RegistryKey key) override;
};

}  // namespace tessaline
