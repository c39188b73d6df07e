#include "base/firmware_components.h"

#include <algorithm>

#include "base/untrusted_text.h"

namespace tessaline {
namespace {

// printer-firmware-version is octets: shown as they are when printable ASCII, else in hex.
std::string OctetsAsText(const std::string& octets) {
    const bool printable =
        std::all_of(octets.begin(), octets.end(), [](char c) { return c >= 0x20 && c < 0x7F; });
    if (printable) {
        return octets;
    }
    static const char kHex[] = "0123456789abcdef";
    std::string hex = "0x";
    for (const char c : octets) {
        const auto byte = static_cast<unsigned char>(c);
        hex += kHex[byte >> 4];
        hex += kHex[byte & 0x0F];
    }
    return hex;
}

std::optional<std::string> ValueAt(const std::vector<std::string>& values, std::size_t i,
                                   std::size_t maxOctets) {
    if (i >= values.size()) {
        return std::nullopt;
    }
    return CutToOctets(values[i], maxOctets);
}

std::string CountsNote(const FirmwareAttributes& a, std::size_t paired) {
    return "the printer's firmware attributes do not pair up (" + std::to_string(a.names.size()) +
           " names, " + std::to_string(a.stringVersions.size()) + " string versions, " +
           std::to_string(a.versions.size()) + " versions, " + std::to_string(a.patches.size()) +
           " patches): " + std::to_string(paired) + " shown";
}

bool SameIgnoringAsciiCase(const std::string& a, const std::string& b) {
    const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; };
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(),
                                              [&](char x, char y) { return lower(x) == lower(y); });
}

std::string NameList(const std::vector<FirmwareComponent>& components) {
    std::string list;
    for (const FirmwareComponent& c : components) {
        list += (list.empty() ? "" : ", ") + c.name;
    }
    return list;
}

}  // namespace

FirmwareComponents PairFirmware(const FirmwareAttributes& a) {
    std::size_t paired = a.names.size();
    for (const auto* given : {&a.stringVersions, &a.versions, &a.patches}) {
        if (!given->empty()) {
            paired = std::min(paired, given->size());
        }
    }
    FirmwareComponents result;
    for (std::size_t i = 0; i < paired; ++i) {
        FirmwareComponent component;
        component.name = CutToOctets(a.names[i], kMaxNameOctets);
        component.version = ValueAt(a.stringVersions, i, kMaxTextOctets);
        if (!component.version && i < a.versions.size()) {
            const std::string& octets = a.versions[i];
            component.version = OctetsAsText(octets.substr(0, kMaxVersionOctets));
            if (octets.size() > kMaxVersionOctets) {
                *component.version += kCutMark;
            }
        }
        component.patches = ValueAt(a.patches, i, kMaxTextOctets);
        result.components.push_back(std::move(component));
    }
    const bool allPaired = (a.stringVersions.empty() || a.stringVersions.size() == paired) &&
                           (a.versions.empty() || a.versions.size() == paired) &&
                           (a.patches.empty() || a.patches.size() == paired) &&
                           a.names.size() == paired;
    const bool anyGiven =
        !a.names.empty() || !a.stringVersions.empty() || !a.versions.empty() || !a.patches.empty();
    if (anyGiven && !allPaired) {
        result.note = CountsNote(a, paired);
    }
    return result;
}

ComponentChoice ChooseComponent(const std::vector<FirmwareComponent>& components,
                                const std::optional<std::string>& wanted) {
    ComponentChoice choice;
    if (components.empty()) {
        choice.problem = "the printer reports no firmware components";
        return choice;
    }
    if (wanted) {
        for (std::size_t i = 0; i < components.size(); ++i) {
            if (SameIgnoringAsciiCase(components[i].name, *wanted)) {
                choice.index = i;
                return choice;
            }
        }
        choice.problem = "the printer reports no component named '" + *wanted +
                         "'; it reports: " + NameList(components);
        return choice;
    }
    if (components.size() > 1) {
        choice.problem = "the printer reports several components (" + NameList(components) +
                         "); name one with --component";
        return choice;
    }
    choice.index = 0;
    return choice;
}

}  // namespace tessaline
