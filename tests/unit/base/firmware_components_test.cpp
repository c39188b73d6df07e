#include "base/firmware_components.h"

#include <gtest/gtest.h>

namespace tessaline {

// Found by the matchers through the type's own namespace.
bool operator==(const FirmwareComponent& a, const FirmwareComponent& b) {
    return a.name == b.name && a.version == b.version && a.patches == b.patches;
}

void PrintTo(const FirmwareComponent& c, std::ostream* os) {
    *os << c.name << "=" << c.version.value_or("null") << "/" << c.patches.value_or("null");
}

namespace {

using Components = std::vector<FirmwareComponent>;

TEST(FirmwareComponents, PairsWhatLinesUpAndSaysWhatDidNot) {
    const std::string longName(300, 'n');
    std::string hex64 = "0x";
    for (int i = 0; i < 64; ++i) {
        hex64 += "01";
    }
    const struct {
        const char* name;
        FirmwareAttributes in;
        Components out;
        std::string note;
    } cases[] = {
        {"nothing given", {}, {}, ""},
        {"one component",
         {{"Module"}, {"2.0.3"}, {"\x02\x00\x03"}, {}},
         {{"Module", "2.0.3", std::nullopt}},
         ""},
        {"octets when no string version",
         {{"Module"}, {}, {"2.0"}, {"p1"}},
         {{"Module", "2.0", "p1"}},
         ""},
        {"octets in hex when not printable",
         {{"Boot"}, {}, {std::string("\x01\x00", 2)}, {}},
         {{"Boot", "0x0100", std::nullopt}},
         ""},
        {"no version at all",
         {{"Module"}, {}, {}, {}},
         {{"Module", std::nullopt, std::nullopt}},
         ""},
        {"two in order",
         {{"Engine", "Module"}, {"7", "2.1"}, {}, {}},
         {{"Engine", "7", std::nullopt}, {"Module", "2.1", std::nullopt}},
         ""},
        {"a version short",
         {{"Engine", "Module"}, {"7"}, {"7", "2"}, {}},
         {{"Engine", "7", std::nullopt}},
         "the printer's firmware attributes do not pair up (2 names, 1 string versions, 2 "
         "versions, 0 patches): 1 shown"},
        {"versions without names",
         {{}, {"1"}, {}, {}},
         {},
         "the printer's firmware attributes do not pair up (0 names, 1 string versions, 0 "
         "versions, 0 patches): 0 shown"},
        {"name too long",
         {{longName}, {"1"}, {}, {}},
         {{std::string(255, 'n') + "[cut]", "1", std::nullopt}},
         ""},
        {"octets too long, cut before hex",
         {{"Boot"}, {}, {std::string(65, '\x01')}, {}},
         {{"Boot", hex64 + "[cut]", std::nullopt}},
         ""},
    };
    for (const auto& c : cases) {
        const FirmwareComponents got = PairFirmware(c.in);
        EXPECT_EQ(got.components, c.out) << c.name;
        EXPECT_EQ(got.note, c.note) << c.name;
    }
}

TEST(FirmwareComponents, ChoosesTheNamedOrTheOnlyComponent) {
    const Components one = {{"Module", "2.0", std::nullopt}};
    const Components two = {{"Engine", "7", std::nullopt}, {"Module", "2.0", std::nullopt}};
    const struct {
        const char* name;
        Components components;
        std::optional<std::string> wanted;
        std::optional<std::size_t> index;
        std::string problem;
    } cases[] = {
        {"the only one", one, std::nullopt, 0, ""},
        {"named, other case", two, "module", 1, ""},
        {"several, none named", two, std::nullopt, std::nullopt,
         "the printer reports several components (Engine, Module); name one with --component"},
        {"named but absent", two, "Modul", std::nullopt,
         "the printer reports no component named 'Modul'; it reports: Engine, Module"},
        {"none", {}, "Module", std::nullopt, "the printer reports no firmware components"},
    };
    for (const auto& c : cases) {
        const ComponentChoice got = ChooseComponent(c.components, c.wanted);
        EXPECT_EQ(got.index, c.index) << c.name;
        EXPECT_EQ(got.problem, c.problem) << c.name;
    }
}

}  // namespace
}  // namespace tessaline
