#pragma once

#include <cstdint>

namespace tessaline {

// Opaque key handle. RegistryKey values other than kCurrentUserKey are valid only between
// the successful open or create that returned them and their CloseKey.
using RegistryKey = std::uintptr_t;

// Value types as the registry numbers them.
enum RegistryType : std::uint32_t {
    kRegNone = 0,
    kRegSz = 1,
    kRegBinary = 3,
    kRegDword = 4,
    kRegQword = 11,
};

// The current user's part of the registry, single-byte names. Calls return false on failure
// and never throw. Keys are opened for reading and writing.
class Registry {
  public:
    static constexpr RegistryKey kCurrentUserKey = 0x80000001u;

    virtual ~Registry() = default;

    // Opens an existing subkey; never creates one.
    virtual bool OpenKey(RegistryKey parent, const char* name, RegistryKey* key) = 0;
    // Opens the subkey, creating it (non-volatile, no class, default security) when missing.
    virtual bool CreateKey(RegistryKey parent, const char* name, RegistryKey* key) = 0;
    // Reads a value's raw bytes into data, which holds *size bytes. On success *type and
    // *size describe the value. A value longer than *size fails and copies nothing usable.
    virtual bool QueryValue(RegistryKey key, const char* name, std::uint32_t* type, void* data,
                            std::uint32_t* size) = 0;
    // Stores value as REG_DWORD, 4 bytes.
    virtual bool SetDwordValue(RegistryKey key, const char* name, std::uint32_t value) = 0;
    virtual void CloseKey(RegistryKey key) = 0;
};

}  // namespace tessaline
