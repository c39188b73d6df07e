#include "platform/posix/ini_registry.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include <gtest/gtest.h>

#include "settings/print_settings.h"

namespace tessaline {
namespace {

namespace fs = std::filesystem;

std::string ReadText(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

void WriteText(const fs::path& path, const std::string& text) {
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << text;
}

// A private config home, removed afterwards; the settings file is not there yet.
class IniRegistryTest : public ::testing::Test {
  protected:
    void SetUp() override {
        char pattern[] = "/tmp/tessaline-ini-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        m_home = pattern;
        m_file = PrintSettingsFilePath((m_home / "config").c_str(), nullptr);
    }
    void TearDown() override { fs::remove_all(m_home); }

    std::vector<std::string> FolderListing(const fs::path& folder) {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(folder)) {
            names.push_back(entry.path().filename().string());
        }
        std::sort(names.begin(), names.end());
        return names;
    }

    fs::path m_home;
    fs::path m_file;
};

// ---- Where the file is ----

struct PathCase {
    const char* xdg;
    const char* home;
    const char* expected;
};

const PathCase kPathCases[] = {
    {"/x/conf", "/home/u", "/x/conf/korvane/tessaline/print-settings.ini"},
    {"/x/conf/", "/home/u", "/x/conf/korvane/tessaline/print-settings.ini"},
    {nullptr, "/home/u", "/home/u/.config/korvane/tessaline/print-settings.ini"},
    {"", "/home/u", "/home/u/.config/korvane/tessaline/print-settings.ini"},
    {"relative/conf", "/home/u", "/home/u/.config/korvane/tessaline/print-settings.ini"},
    {nullptr, "/", "/.config/korvane/tessaline/print-settings.ini"},
    {"/", nullptr, "/korvane/tessaline/print-settings.ini"},
    {nullptr, nullptr, ""},
    {"", "", ""},
    {nullptr, "relative", ""},
};

TEST(IniRegistryPath, XdgConfigHomeThenHome) {
    for (const PathCase& c : kPathCases) {
        EXPECT_EQ(PrintSettingsFilePath(c.xdg, c.home), c.expected)
            << (c.xdg ? c.xdg : "(unset)") << " / " << (c.home ? c.home : "(unset)");
    }
}

// ---- Reading never writes; writing creates what is missing ----

TEST_F(IniRegistryTest, FreshAccountReadsDefaultsAndCreatesNothing) {
    IniRegistry registry(m_file);
    ProfileStore profile(registry, "Korvane", "Tessaline");
    const PrintSettings forms = ReadFormTestSettings(profile);
    EXPECT_EQ(forms.pageSizeIndex, 1);
    EXPECT_EQ(forms.orientationIndex, 0);
    const PrintSettings setup = ReadPrintSetupSettings(profile);
    EXPECT_EQ(setup.pageSizeIndex, -1);
    EXPECT_EQ(setup.orientationIndex, -1);
    EXPECT_EQ(FolderListing(m_home), std::vector<std::string>{});
}

TEST_F(IniRegistryTest, WriteCreatesFoldersAndFileThenReadsBack) {
    IniRegistry registry(m_file);
    ProfileStore profile(registry, "Korvane", "Tessaline");
    WritePrintSettings(profile, PrintSettings{4, 1});
    EXPECT_EQ(ReadText(m_file), "[Print Settings]\nPage Size=4\nPage Orientation=1\n");
    EXPECT_EQ(fs::status(m_file.parent_path()).permissions() & fs::perms::all,
              fs::perms::owner_all);
    EXPECT_EQ(fs::status(m_file).permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write);
    const PrintSettings read = ReadFormTestSettings(profile);
    EXPECT_EQ(read.pageSizeIndex, 4);
    EXPECT_EQ(read.orientationIndex, 1);
    // Only the file: no temporary is left beside it.
    EXPECT_EQ(FolderListing(m_file.parent_path()), std::vector<std::string>{"print-settings.ini"});
}

TEST_F(IniRegistryTest, MinusOneAndExtremesRoundTrip) {
    IniRegistry registry(m_file);
    ProfileStore profile(registry, "Korvane", "Tessaline");
    for (const std::int32_t value : {-1, 0, 11, INT32_MAX, INT32_MIN}) {
        ASSERT_TRUE(profile.WriteProfileInt("Print Settings", "Page Size", value));
        EXPECT_EQ(profile.GetProfileInt("Print Settings", "Page Size", 99), value);
    }
    EXPECT_EQ(ReadText(m_file), "[Print Settings]\nPage Size=-2147483648\n");
}

TEST_F(IniRegistryTest, WriteKeepsTheRestOfTheFileAndItsPermissions) {
    WriteText(m_file,
              "; by hand\r\n[Other]\r\nPage Size=9\r\n[print settings]\r\npage size = 2\r\n");
    fs::permissions(m_file, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read |
                                fs::perms::others_read);
    IniRegistry registry(m_file);
    ProfileStore profile(registry, "Korvane", "Tessaline");
    WritePrintSettings(profile, PrintSettings{5, 3});
    EXPECT_EQ(ReadText(m_file),
              "; by hand\r\n[Other]\r\nPage Size=9\r\n[print settings]\r\nPage Size=5\r\n"
              "Page Orientation=3\r\n");
    EXPECT_EQ(fs::status(m_file).permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read |
                  fs::perms::others_read);
}

// ---- Unreadable values give the reader's default ----

struct StoredCase {
    const char* name;
    const char* text;
    std::int32_t pageSize;  // as the forms read it (default 1)
};

const StoredCase kStoredCases[] = {
    {"valid", "[Print Settings]\nPage Size=4\n", 4},
    {"huge", "[Print Settings]\nPage Size=4294967296\n", 1},
    {"hex", "[Print Settings]\nPage Size=0x4\n", 1},
    {"garbage", "[Print Settings]\nPage Size=A4\n", 1},
    {"negative", "[Print Settings]\nPage Size=-7\n", -7},
    {"empty", "[Print Settings]\nPage Size=\n", 1},
    {"binary", "\x01\x02\xff\xfe[Print", 1},
    {"other section", "[Print Setting]\nPage Size=4\n", 1},
};

TEST_F(IniRegistryTest, StoredTextGivesValueOrDefault) {
    IniRegistry registry(m_file);
    ProfileStore profile(registry, "Korvane", "Tessaline");
    for (const StoredCase& c : kStoredCases) {
        WriteText(m_file, c.text);
        EXPECT_EQ(ReadFormTestSettings(profile).pageSizeIndex, c.pageSize) << c.name;
        EXPECT_EQ(ReadText(m_file), c.text) << c.name << ": a read changed the file";
    }
}

TEST_F(IniRegistryTest, FileThatCannotBeReadIsNeitherReadNorReplaced) {
    IniRegistry registry(m_file);
    ProfileStore profile(registry, "Korvane", "Tessaline");
    // Far larger than any settings file.
    const std::string large = "[Print Settings]\nPage Size=4\n" + std::string(2u << 20, ';');
    WriteText(m_file, large);
    EXPECT_EQ(profile.GetProfileInt("Print Settings", "Page Size", 1), 1);
    EXPECT_FALSE(profile.WriteProfileInt("Print Settings", "Page Size", 5));
    EXPECT_EQ(ReadText(m_file), large);

    fs::remove(m_file);
    fs::create_directory(m_file);
    EXPECT_EQ(profile.GetProfileInt("Print Settings", "Page Size", 1), 1);
    EXPECT_FALSE(profile.WriteProfileInt("Print Settings", "Page Size", 5));
    EXPECT_TRUE(fs::is_directory(m_file));
}

// The limit is 1 MiB: a file of exactly that size is still the settings file.
TEST_F(IniRegistryTest, FileOfExactlyTheLimitIsReadAndOneByteMoreIsNot) {
    IniRegistry registry(m_file);
    ProfileStore profile(registry, "Korvane", "Tessaline");
    constexpr std::size_t kLimit = 1u << 20;
    std::string text = "[Print Settings]\nPage Size=4\n;";
    text += std::string(kLimit - text.size(), 'x');
    ASSERT_EQ(text.size(), kLimit);
    WriteText(m_file, text);
    EXPECT_EQ(profile.GetProfileInt("Print Settings", "Page Size", 1), 4);
    WriteText(m_file, text + "x");
    EXPECT_EQ(profile.GetProfileInt("Print Settings", "Page Size", 1), 1);
}

TEST_F(IniRegistryTest, FolderInTheWayFailsTheWriteOnly) {
    // The config home is a file: nothing can be created below it.
    WriteText(m_home / "config", "not a folder");
    IniRegistry registry(m_file);
    ProfileStore profile(registry, "Korvane", "Tessaline");
    EXPECT_EQ(profile.GetProfileInt("Print Settings", "Page Size", -1), -1);
    EXPECT_FALSE(profile.WriteProfileInt("Print Settings", "Page Size", 4));
    EXPECT_EQ(ReadText(m_home / "config"), "not a folder");
}

TEST_F(IniRegistryTest, NoPlaceForSettings) {
    IniRegistry registry("");
    ProfileStore profile(registry, "Korvane", "Tessaline");
    EXPECT_EQ(profile.GetProfileInt("Print Settings", "Page Size", 1), 1);
    EXPECT_FALSE(profile.WriteProfileInt("Print Settings", "Page Size", 4));
}

// ---- An interrupted write leaves the old file whole ----

std::string g_renamedFrom;
std::string g_renamedText;

// Stands for a crash between writing the temporary file and renaming it.
int FailingRename(const char* from, const char* /*to*/) {
    g_renamedFrom = from;
    g_renamedText = ReadText(from);
    errno = EIO;
    return -1;
}

TEST_F(IniRegistryTest, FailedRenameLeavesOldFileAndNoTemporary) {
    const std::string old = "[Print Settings]\nPage Size=2\nPage Orientation=1\n";
    WriteText(m_file, old);
    IniRegistry registry(m_file, &FailingRename);
    ProfileStore profile(registry, "Korvane", "Tessaline");
    g_renamedFrom.clear();
    EXPECT_FALSE(profile.WriteProfileInt("Print Settings", "Page Size", 4));
    // The whole new file was ready beside the old one.
    EXPECT_EQ(fs::path(g_renamedFrom).parent_path(), m_file.parent_path());
    EXPECT_EQ(g_renamedText, "[Print Settings]\nPage Size=4\nPage Orientation=1\n");
    EXPECT_EQ(ReadText(m_file), old);
    EXPECT_EQ(FolderListing(m_file.parent_path()), std::vector<std::string>{"print-settings.ini"});
    EXPECT_EQ(profile.GetProfileInt("Print Settings", "Page Size", 1), 2);
}

TEST_F(IniRegistryTest, SymbolicLinkStaysAndItsTargetIsReplaced) {
    const fs::path target = m_home / "dotfiles" / "tessaline.ini";
    WriteText(target, "[Print Settings]\nPage Size=2\n");
    fs::create_directories(m_file.parent_path());
    fs::create_symlink(target, m_file);
    IniRegistry registry(m_file);
    ProfileStore profile(registry, "Korvane", "Tessaline");
    EXPECT_TRUE(profile.WriteProfileInt("Print Settings", "Page Size", 7));
    EXPECT_TRUE(fs::is_symlink(m_file));
    EXPECT_EQ(ReadText(target), "[Print Settings]\nPage Size=7\n");
}

// ---- Keys are names only; values live in sections ----

TEST(IniRegistryKeys, ValuesOnlyBelowTheApplication) {
    IniRegistry registry("/nonexistent/print-settings.ini");
    RegistryKey software = 0;
    RegistryKey maker = 0;
    ASSERT_TRUE(registry.OpenKey(Registry::kCurrentUserKey, "software", &software));
    ASSERT_TRUE(registry.CreateKey(software, "Korvane", &maker));
    EXPECT_FALSE(registry.SetDwordValue(maker, "Page Size", 4));
    registry.CloseKey(software);
    RegistryKey unknown = 0;
    EXPECT_FALSE(registry.OpenKey(software, "Korvane", &unknown)) << "closed parent";
    registry.CloseKey(maker);
}

}  // namespace
}  // namespace tessaline
