#pragma once

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstring>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "platform/registry.h"

namespace tessaline {

// An in-memory current-user hive. Key and value names compare without regard to case, as
// Windows does; paths are written with "\\" between keys ("software\\Korvane"). Values may have
// any type and any length. Calls are logged in order, e.g. "Open(software)",
// "Create(software\\Korvane)", "Query(Page Size)", "Set(Page Size=4)", "Close(software)".
// A fresh FakeRegistry holds only the "software" key, like a new account.
class FakeRegistry : public Registry {
  public:
    struct Value {
        std::uint32_t type = kRegNone;
        std::string bytes;
    };

    // Fault injection, by key path (any case).
    std::set<std::string> refuseOpen;
    std::set<std::string> refuseCreate;
    std::set<std::string> refuseSet;  // SetDwordValue fails on keys with these paths

    std::vector<std::string> calls;
    std::vector<std::string> handleErrors;

    FakeRegistry() { AddKey("software"); }

    void AddKey(const std::string& path) {
        std::string sofar;
        for (const std::string& part : Split(path)) {
            sofar = sofar.empty() ? part : sofar + "\\" + part;
            m_keys[Lower(sofar)];
        }
    }
    void DeleteKeyTree(const std::string& path) {
        const std::string lower = Lower(path);
        for (auto it = m_keys.begin(); it != m_keys.end();) {
            const bool inside = it->first == lower || it->first.rfind(lower + "\\", 0) == 0;
            it = inside ? m_keys.erase(it) : std::next(it);
        }
    }
    bool KeyExists(const std::string& path) const { return m_keys.count(Lower(path)) != 0; }

    void SetValue(const std::string& path, const std::string& name, std::uint32_t type,
                  const std::string& bytes) {
        AddKey(path);
        m_keys[Lower(path)][Lower(name)] = Value{type, bytes};
    }
    void SetDword(const std::string& path, const std::string& name, std::uint32_t value) {
        SetValue(path, name, kRegDword, LittleEndian(value));
    }
    std::optional<Value> GetValue(const std::string& path, const std::string& name) const {
        auto key = m_keys.find(Lower(path));
        if (key == m_keys.end()) {
            return std::nullopt;
        }
        auto value = key->second.find(Lower(name));
        if (value == key->second.end()) {
            return std::nullopt;
        }
        return value->second;
    }
    std::size_t ValueCount() const {
        std::size_t count = 0;
        for (const auto& key : m_keys) {
            count += key.second.size();
        }
        return count;
    }

    int OpenHandleCount() const { return static_cast<int>(m_handles.size()); }
    // The most keys that were open at the same time.
    int PeakOpenHandleCount() const { return m_peakHandles; }

    static std::string LittleEndian(std::uint32_t value) {
        std::string bytes(4, '\0');
        for (std::size_t i = 0; i < 4; ++i) {
            bytes[i] = static_cast<char>((value >> (8 * i)) & 0xFF);
        }
        return bytes;
    }

    bool OpenKey(RegistryKey parent, const char* name, RegistryKey* key) override {
        return Reach(parent, name, key, false);
    }
    bool CreateKey(RegistryKey parent, const char* name, RegistryKey* key) override {
        return Reach(parent, name, key, true);
    }

    bool QueryValue(RegistryKey key, const char* name, std::uint32_t* type, void* data,
                    std::uint32_t* size) override {
        calls.push_back(std::string("Query(") + name + ")");
        const std::string* path = Path(key, "Query");
        if (path == nullptr) {
            return false;
        }
        std::optional<Value> value = GetValue(*path, name);
        if (!value) {
            return false;
        }
        const auto length = static_cast<std::uint32_t>(value->bytes.size());
        if (type != nullptr) {
            *type = value->type;
        }
        // Like the real call: too small a buffer fails and reports the size needed.
        if (data == nullptr || *size < length) {
            *size = length;
            return data == nullptr;
        }
        std::memcpy(data, value->bytes.data(), length);
        *size = length;
        return true;
    }

    bool SetDwordValue(RegistryKey key, const char* name, std::uint32_t value) override {
        calls.push_back(std::string("Set(") + name + "=" +
                        std::to_string(static_cast<std::int32_t>(value)) + ")");
        const std::string* path = Path(key, "Set");
        if (path == nullptr || Listed(refuseSet, *path)) {
            return false;
        }
        m_keys[Lower(*path)][Lower(name)] = Value{kRegDword, LittleEndian(value)};
        return true;
    }

    void CloseKey(RegistryKey key) override {
        auto it = m_handles.find(key);
        if (it == m_handles.end()) {
            calls.push_back("Close(?)");
            handleErrors.push_back("CloseKey of a key that is not open");
            return;
        }
        calls.push_back("Close(" + it->second + ")");
        m_handles.erase(it);
    }

  private:
    static std::string Lower(std::string text) {
        std::transform(text.begin(), text.end(), text.begin(),
                       [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
        return text;
    }
    static std::vector<std::string> Split(const std::string& path) {
        std::vector<std::string> parts;
        std::string part;
        for (char c : path) {
            if (c == '\\') {
                parts.push_back(part);
                part.clear();
            } else {
                part += c;
            }
        }
        parts.push_back(part);
        return parts;
    }

    static bool Listed(const std::set<std::string>& paths, const std::string& path) {
        for (const std::string& entry : paths) {
            if (Lower(entry) == Lower(path)) {
                return true;
            }
        }
        return false;
    }

    const std::string* Path(RegistryKey key, const char* call) {
        if (key == kCurrentUserKey) {
            static const std::string root;
            return &root;
        }
        auto it = m_handles.find(key);
        if (it == m_handles.end()) {
            handleErrors.push_back(std::string(call) + " on a key that is not open");
            return nullptr;
        }
        return &it->second;
    }

    bool Reach(RegistryKey parent, const char* name, RegistryKey* key, bool create) {
        const std::string* parentPath = Path(parent, create ? "Create" : "Open");
        const std::string child = name ? name : "";
        const std::string path =
            parentPath == nullptr || parentPath->empty() ? child : *parentPath + "\\" + child;
        calls.push_back(std::string(create ? "Create(" : "Open(") + path + ")");
        if (parentPath == nullptr) {
            return false;
        }
        if (Listed(create ? refuseCreate : refuseOpen, path)) {
            return false;
        }
        // Every open of a settings read lands here: look the key up once, split the path only
        // when it must be made.
        if (!KeyExists(path)) {
            if (!create) {
                return false;
            }
            AddKey(path);
        }
        *key = m_nextHandle++;
        m_handles[*key] = path;
        m_peakHandles = std::max(m_peakHandles, OpenHandleCount());
        return true;
    }

    std::map<std::string, std::map<std::string, Value>> m_keys;  // lower-case path -> values
    std::map<RegistryKey, std::string> m_handles;
    RegistryKey m_nextHandle = 0x1000;
    int m_peakHandles = 0;
};

}  // namespace tessaline
