#include "settings/print_settings.h"

#include <gtest/gtest.h>

#include <limits>
#include <string>
#include <vector>

#include "fakes/fake_registry.h"

namespace tessaline {
namespace {

using Calls = std::vector<std::string>;

const char kMaker[] = "software\\Korvane";
const char kApp[] = "software\\Korvane\\Tessaline";
const char kSection[] = "software\\Korvane\\Tessaline\\Print Settings";

Calls Starting(const Calls& calls, const std::string& prefix) {
    Calls matching;
    for (const std::string& call : calls) {
        if (call.rfind(prefix, 0) == 0) {
            matching.push_back(call);
        }
    }
    return matching;
}

TEST(ProfileStore, FreshAccountCreatesTheKeysButNoValue) {
    FakeRegistry registry;
    ProfileStore profile(registry, kMakerKey, "Tessaline");
    EXPECT_EQ(profile.GetProfileInt(kPrintSettingsSection, kPageSizeEntry, 77), 77);
    EXPECT_TRUE(registry.KeyExists(kMaker));
    EXPECT_TRUE(registry.KeyExists(kApp));
    EXPECT_TRUE(registry.KeyExists(kSection));
    EXPECT_EQ(registry.ValueCount(), 0u);
    EXPECT_EQ(registry.OpenHandleCount(), 0);
    EXPECT_TRUE(registry.handleErrors.empty());
    // Each parent is let go once its child is reached: never more than two keys at a time.
    EXPECT_EQ(registry.PeakOpenHandleCount(), 2);
}

TEST(ProfileStore, ReadsStoredBytes) {
    struct Case {
        const char* name;
        std::uint32_t type;
        std::string bytes;
        std::int32_t value;
    };
    const Case cases[] = {
        {"DWORD 4", kRegDword, std::string("\x04\0\0\0", 4), 4},
        {"DWORD all ones", kRegDword, "\xff\xff\xff\xff", -1},
        {"DWORD largest", kRegDword, "\xff\xff\xff\x7f", std::numeric_limits<std::int32_t>::max()},
        {"DWORD smallest", kRegDword, std::string("\0\0\0\x80", 4),
         std::numeric_limits<std::int32_t>::min()},
        {"One byte", kRegBinary, "\xff", 0xff},
        {"Two bytes", kRegBinary, "\x34\x12", 0x1234},
        {"Three bytes", kRegBinary, "\x01\x02\x83", 0x830201},
        {"Empty value", kRegBinary, "", 0},
        {"String of four bytes", kRegSz, std::string("ab1\0", 4), 0x00316261},
        {"Five bytes", kRegBinary, "\x01\x02\x03\x04\x05", -9},
        {"QWORD", kRegQword, std::string("\x01\0\0\0\0\0\0\0", 8), -9},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FakeRegistry registry;
        registry.SetValue(kSection, kPageSizeEntry, c.type, c.bytes);
        ProfileStore profile(registry, kMakerKey, "Tessaline");
        EXPECT_EQ(profile.GetProfileInt(kPrintSettingsSection, kPageSizeEntry, -9), c.value);
        EXPECT_EQ(registry.OpenHandleCount(), 0);
        EXPECT_EQ(registry.GetValue(kSection, kPageSizeEntry)->bytes, c.bytes);
    }
}

TEST(ProfileStore, MissingSoftwareKeyIsNeverCreated) {
    FakeRegistry registry;
    registry.DeleteKeyTree("software");
    ProfileStore profile(registry, kMakerKey, "Tessaline");
    EXPECT_EQ(profile.GetProfileInt(kPrintSettingsSection, kPageSizeEntry, 5), 5);
    EXPECT_FALSE(profile.WriteProfileInt(kPrintSettingsSection, kPageSizeEntry, 3));
    EXPECT_EQ(registry.calls, (Calls{"Open(software)", "Open(software)"}));
    EXPECT_FALSE(registry.KeyExists("software"));
    EXPECT_FALSE(registry.KeyExists("Korvane"));
}

// A key refused at each level: reads give the default, writes fail, every key reached is
// closed, and nothing is stored.
TEST(ProfileStore, KeyFailuresAtEachLevel) {
    struct Case {
        const char* name;
        bool refuseOpen;
        const char* path;
    };
    const Case cases[] = {
        {"software refused", true, "SOFTWARE"},
        {"maker refused", false, kMaker},
        {"application refused", false, kApp},
        {"section refused", false, kSection},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FakeRegistry registry;
        (c.refuseOpen ? registry.refuseOpen : registry.refuseCreate).insert(c.path);
        ProfileStore profile(registry, kMakerKey, "Tessaline");
        EXPECT_EQ(profile.GetProfileInt(kPrintSettingsSection, kPageSizeEntry, 6), 6);
        EXPECT_FALSE(profile.WriteProfileInt(kPrintSettingsSection, kPageSizeEntry, 3));
        EXPECT_EQ(registry.OpenHandleCount(), 0);
        EXPECT_LE(registry.PeakOpenHandleCount(), 2);
        EXPECT_TRUE(registry.handleErrors.empty());
        EXPECT_EQ(registry.ValueCount(), 0u);
        EXPECT_TRUE(Starting(registry.calls, "Query").empty());
        EXPECT_TRUE(Starting(registry.calls, "Set").empty());
    }
}

TEST(ProfileStore, WriteStoresDword) {
    struct Case {
        std::int32_t value;
        const char* bytes;
    };
    const Case cases[] = {
        {-1, "\xff\xff\xff\xff"},
        {26, "\x1a\x00\x00\x00"},
        {std::numeric_limits<std::int32_t>::min(), "\x00\x00\x00\x80"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.value);
        FakeRegistry registry;
        ProfileStore profile(registry, kMakerKey, "Tessaline");
        EXPECT_TRUE(profile.WriteProfileInt(kPrintSettingsSection, kPageOrientationEntry, c.value));
        const auto stored = registry.GetValue(kSection, "Page Orientation");
        ASSERT_TRUE(stored.has_value());
        EXPECT_EQ(stored->type, kRegDword);
        EXPECT_EQ(stored->bytes, std::string(c.bytes, 4));
        EXPECT_EQ(profile.GetProfileInt(kPrintSettingsSection, kPageOrientationEntry, 9), c.value);
        EXPECT_EQ(registry.OpenHandleCount(), 0);
    }
}

TEST(ProfileStore, RefusedWriteIsSilent) {
    FakeRegistry registry;
    registry.refuseSet.insert(kSection);
    ProfileStore profile(registry, kMakerKey, "Tessaline");
    EXPECT_FALSE(profile.WriteProfileInt(kPrintSettingsSection, kPageSizeEntry, 4));
    registry.calls.clear();
    WritePrintSettings(profile, PrintSettings{4, 1});
    EXPECT_EQ(Starting(registry.calls, "Set"),
              (Calls{"Set(Page Size=4)", "Set(Page Orientation=1)"}));
    EXPECT_EQ(registry.ValueCount(), 0u);
    EXPECT_EQ(registry.OpenHandleCount(), 0);
}

TEST(ProfileStore, ApplicationKeyIsTheGivenName) {
    FakeRegistry registry;
    ProfileStore profile(registry, kMakerKey, "Renamed Tool");
    profile.WriteProfileInt(kPrintSettingsSection, kPageSizeEntry, 2);
    EXPECT_TRUE(registry.GetValue("software\\Korvane\\Renamed Tool\\Print Settings", "Page Size"));
    EXPECT_FALSE(registry.KeyExists(kApp));
}

TEST(PrintSettings, ReadersDefaults) {
    struct Case {
        const char* name;
        bool stored;
        PrintSettings formTest;
        PrintSettings printSetup;
    };
    const Case cases[] = {
        {"Nothing stored", false, {1, 0}, {-1, -1}},
        {"Both stored", true, {4, 3}, {4, 3}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FakeRegistry registry;
        if (c.stored) {
            registry.SetDword(kSection, "page size", 4);
            registry.SetDword(kSection, "PAGE ORIENTATION", 3);
        }
        ProfileStore profile(registry, kMakerKey, "Tessaline");
        const PrintSettings formTest = ReadFormTestSettings(profile);
        const PrintSettings printSetup = ReadPrintSetupSettings(profile);
        EXPECT_EQ(formTest.pageSizeIndex, c.formTest.pageSizeIndex);
        EXPECT_EQ(formTest.orientationIndex, c.formTest.orientationIndex);
        EXPECT_EQ(printSetup.pageSizeIndex, c.printSetup.pageSizeIndex);
        EXPECT_EQ(printSetup.orientationIndex, c.printSetup.orientationIndex);
        EXPECT_EQ(registry.ValueCount(), c.stored ? 2u : 0u);
        EXPECT_EQ(registry.OpenHandleCount(), 0);
    }
}

TEST(PrintSettings, WriteOrderAndValues) {
    FakeRegistry registry;
    ProfileStore profile(registry, kMakerKey, "Tessaline");
    WritePrintSettings(profile, PrintSettings{-1, 2});
    EXPECT_EQ(Starting(registry.calls, "Set"),
              (Calls{"Set(Page Size=-1)", "Set(Page Orientation=2)"}));
    const PrintSettings read = ReadPrintSetupSettings(profile);
    EXPECT_EQ(read.pageSizeIndex, -1);
    EXPECT_EQ(read.orientationIndex, 2);
    EXPECT_EQ(registry.OpenHandleCount(), 0);
}

}  // namespace
}  // namespace tessaline
