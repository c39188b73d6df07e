#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace tessaline {

// A printer reports its firmware as four parallel attributes: the i-th value of each describes
// the same component. An attribute the printer did not give is empty.
struct FirmwareAttributes {
    std::vector<std::string> names;           // printer-firmware-name, name(MAX)
    std::vector<std::string> stringVersions;  // printer-firmware-string-version, text(MAX)
    std::vector<std::string> versions;        // printer-firmware-version, octetString(64)
    std::vector<std::string> patches;         // printer-firmware-patches, text(MAX)
};

// The longest value each may have; a longer one is cut and marked (base/untrusted_text.h).
inline constexpr std::size_t kMaxNameOctets = 255;
inline constexpr std::size_t kMaxTextOctets = 1023;
inline constexpr std::size_t kMaxVersionOctets = 64;

struct FirmwareComponent {
    std::string name;
    std::optional<std::string> version;  // the string version, else the octets as text
    std::optional<std::string> patches;
};

struct FirmwareComponents {
    std::vector<FirmwareComponent> components;  // in the printer's order
    std::string note;  // why some values were left out; empty when all paired up
};

// The components that pair up: as many as the shortest attribute the printer gave has values.
FirmwareComponents PairFirmware(const FirmwareAttributes& attributes);

// The component a version is checked against: the one named `wanted` (matched whole, ignoring
// ASCII case), or without a name the only one there is.
struct ComponentChoice {
    std::optional<std::size_t> index;  // absent when none can be chosen
    std::string problem;               // then why, naming what the printer gave
};
ComponentChoice ChooseComponent(const std::vector<FirmwareComponent>& components,
                                const std::optional<std::string>& wanted);

}  // namespace tessaline
