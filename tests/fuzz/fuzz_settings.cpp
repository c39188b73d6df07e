// A settings read over a registry value of any type and length, with keys missing or refused at
// any level: at most 4 bytes are read, little-endian and zero-extended; anything else gives the
// default; no value is ever stored by a read and every key opened is closed.
//
// Input: [0] key state (see KeyState), [1] bit 0: value present, bit 1: read "Page Orientation"
//        instead of "Page Size", bit 2: keys exist before the read; [2..5] value type,
//        [6..9] default, [10..13] a value written afterwards (all little-endian); [14..] value.

#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

#include "fakes/fake_registry.h"
#include "fuzz/fuzz_check.h"
#include "settings/print_settings.h"

namespace tessaline {
namespace {

using fuzz::Check;

constexpr char kApplication[] = "fuzz";
constexpr char kSoftware[] = "software";
constexpr char kMakerPath[] = "software\\Korvane";
constexpr char kApplicationPath[] = "software\\Korvane\\fuzz";
constexpr char kSectionPath[] = "software\\Korvane\\fuzz\\Print Settings";
constexpr std::size_t kHeader = 14;

enum class KeyState {
    Usable,
    NoSoftware,
    SoftwareRefused,
    MakerRefused,
    AppRefused,
    SectionRefused
};
constexpr unsigned kKeyStates = 6;

std::uint32_t LittleEndian(const std::uint8_t* bytes, std::size_t count) {
    std::uint32_t bits = 0;
    for (std::size_t i = 0; i < count; ++i) {
        bits |= static_cast<std::uint32_t>(bytes[i]) << (8 * i);
    }
    return bits;
}

std::int32_t AsSigned(std::uint32_t bits) {
    std::int32_t value = 0;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

void Prepare(KeyState state, bool keysExist, FakeRegistry* registry) {
    if (keysExist) {
        registry->AddKey(kSectionPath);
    }
    switch (state) {
        case KeyState::Usable:
            break;
        case KeyState::NoSoftware:
            registry->DeleteKeyTree(kSoftware);
            break;
        case KeyState::SoftwareRefused:
            registry->refuseOpen.insert(kSoftware);
            break;
        case KeyState::MakerRefused:
            registry->refuseCreate.insert(kMakerPath);
            break;
        case KeyState::AppRefused:
            registry->refuseCreate.insert(kApplicationPath);
            break;
        case KeyState::SectionRefused:
            registry->refuseCreate.insert(kSectionPath);
            break;
    }
}

void CheckNothingLeftOpen(const FakeRegistry& registry) {
    Check(registry.OpenHandleCount() == 0, "every key opened is closed");
    Check(registry.handleErrors.empty(), "no key used after close or closed twice");
}

}  // namespace
}  // namespace tessaline

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace tessaline;
    if (size < kHeader) {
        return 0;
    }
    const auto state = static_cast<KeyState>(data[0] % kKeyStates);
    const bool stored = (data[1] & 1u) != 0;
    const char* entry = (data[1] & 2u) != 0 ? kPageOrientationEntry : kPageSizeEntry;
    const bool keysExist = (data[1] & 4u) != 0;
    const std::uint32_t type = LittleEndian(data + 2, 4);
    const std::int32_t defaultValue = AsSigned(LittleEndian(data + 6, 4));
    const std::int32_t written = AsSigned(LittleEndian(data + 10, 4));
    const std::string bytes(reinterpret_cast<const char*>(data) + kHeader, size - kHeader);

    FakeRegistry registry;
    if (stored) {
        registry.SetValue(kSectionPath, entry, type, bytes);
    }
    // After the value, so a missing software key takes the value with it.
    Prepare(state, keysExist, &registry);
    const bool present = registry.GetValue(kSectionPath, entry).has_value();
    const std::size_t valuesBefore = registry.ValueCount();
    ProfileStore profile(registry, kMakerKey, kApplication);

    const std::int32_t read = profile.GetProfileInt(kPrintSettingsSection, entry, defaultValue);
    const bool reachable = state == KeyState::Usable;
    std::int32_t expected = defaultValue;
    if (reachable && present && bytes.size() <= 4) {
        // Fewer than 4 bytes leave the high bytes zero; no bytes read as 0.
        expected = AsSigned(
            LittleEndian(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()));
    }
    Check(read == expected, "read gives the first bytes of a short value, else the default");
    CheckNothingLeftOpen(registry);
    Check(registry.ValueCount() == valuesBefore, "a read stores no value");
    if (present) {
        const auto kept = registry.GetValue(kSectionPath, entry);
        Check(kept && kept->type == type && kept->bytes == bytes, "a read leaves the value as is");
    }
    Check(registry.KeyExists(kSoftware) == (state != KeyState::NoSoftware),
          "software is opened, never created");
    if (reachable) {
        Check(registry.KeyExists(kSectionPath), "a read creates the missing keys");
    }

    const bool wrote = profile.WriteProfileInt(kPrintSettingsSection, entry, written);
    Check(wrote == reachable, "a write succeeds exactly when every key can be reached");
    CheckNothingLeftOpen(registry);
    if (reachable) {
        const auto value = registry.GetValue(kSectionPath, entry);
        Check(value && value->type == kRegDword &&
                  value->bytes == FakeRegistry::LittleEndian(static_cast<std::uint32_t>(written)),
              "a write stores the value as a 4-byte DWORD");
        Check(profile.GetProfileInt(kPrintSettingsSection, entry, defaultValue) == written,
              "what was written reads back");
        CheckNothingLeftOpen(registry);
    }
    return 0;
}
