#include "platform/win32/win32_registry.h"

#include <windows.h>

namespace tessaline {
namespace {

HKEY ToHkey(RegistryKey key) {
    // The portable value of the root is not the sign-extended handle Windows uses.
    if (key == Registry::kCurrentUserKey) {
        return HKEY_CURRENT_USER;
    }
    return reinterpret_cast<HKEY>(key);
}

constexpr REGSAM kReadWrite = KEY_READ | KEY_WRITE;

}  // namespace

bool Win32Registry::OpenKey(RegistryKey parent, const char* name, RegistryKey* key) {
    HKEY opened = nullptr;
    if (::RegOpenKeyExA(ToHkey(parent), name, 0, kReadWrite, &opened) != ERROR_SUCCESS) {
        return false;
    }
    *key = reinterpret_cast<RegistryKey>(opened);
    return true;
}

bool Win32Registry::CreateKey(RegistryKey parent, const char* name, RegistryKey* key) {
    HKEY opened = nullptr;
    DWORD disposition = 0;
    if (::RegCreateKeyExA(ToHkey(parent), name, 0, nullptr, REG_OPTION_NON_VOLATILE, kReadWrite,
                          nullptr, &opened, &disposition) != ERROR_SUCCESS) {
        return false;
    }
    *key = reinterpret_cast<RegistryKey>(opened);
    return true;
}

bool Win32Registry::QueryValue(RegistryKey key, const char* name, std::uint32_t* type, void* data,
                               std::uint32_t* size) {
    DWORD valueType = REG_NONE;
    DWORD valueSize = *size;
    const LONG status = ::RegQueryValueExA(ToHkey(key), name, nullptr, &valueType,
                                           static_cast<LPBYTE>(data), &valueSize);
    if (status != ERROR_SUCCESS) {
        return false;
    }
    *type = valueType;
    *size = valueSize;
    return true;
}

bool Win32Registry::SetDwordValue(RegistryKey key, const char* name, std::uint32_t value) {
    const DWORD dword = value;
    return ::RegSetValueExA(ToHkey(key), name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&dword),
                            sizeof(dword)) == ERROR_SUCCESS;
}

void Win32Registry::CloseKey(RegistryKey key) {
    ::RegCloseKey(ToHkey(key));
}

}  // namespace tessaline
