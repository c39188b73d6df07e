#pragma once

#include "platform/registry.h"

namespace tessaline {

// One open registry key, closed exactly once: when the object goes, or when it is given another
// key (a child reached through it can take its place, which closes the parent after the child
// was opened). An object that holds no key closes nothing.
class ScopedRegistryKey {
  public:
    // Opens an existing subkey; the result holds no key on failure.
    static ScopedRegistryKey Open(Registry& registry, RegistryKey parent, const char* name) {
        ScopedRegistryKey key(registry);
        key.m_open = registry.OpenKey(parent, name, &key.m_key);
        return key;
    }
    // Opens the subkey, creating it when missing; the result holds no key on failure.
    static ScopedRegistryKey Create(Registry& registry, RegistryKey parent, const char* name) {
        ScopedRegistryKey key(registry);
        key.m_open = registry.CreateKey(parent, name, &key.m_key);
        return key;
    }

    ~ScopedRegistryKey() { Close(); }
    ScopedRegistryKey(ScopedRegistryKey&& other) noexcept
        : m_registry(other.m_registry), m_key(other.m_key), m_open(other.m_open) {
        other.m_open = false;
    }
    ScopedRegistryKey& operator=(ScopedRegistryKey&& other) noexcept {
        if (this != &other) {
            Close();
            m_registry = other.m_registry;
            m_key = other.m_key;
            m_open = other.m_open;
            other.m_open = false;
        }
        return *this;
    }
    ScopedRegistryKey(const ScopedRegistryKey&) = delete;
    ScopedRegistryKey& operator=(const ScopedRegistryKey&) = delete;

    bool IsOpen() const { return m_open; }
    // Valid only while IsOpen().
    RegistryKey Get() const { return m_key; }

  private:
    explicit ScopedRegistryKey(Registry& registry) : m_registry(&registry) {}

    void Close() {
        if (m_open) {
            m_open = false;
            m_registry->CloseKey(m_key);
        }
    }

    Registry* m_registry;
    RegistryKey m_key = 0;
    bool m_open = false;
};

}  // namespace tessaline
