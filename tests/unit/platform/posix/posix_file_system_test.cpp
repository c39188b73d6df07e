#include "platform/posix/posix_file_system.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/mman.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <vector>

#include <gtest/gtest.h>

namespace tessaline {
namespace {

namespace fs = std::filesystem;

class PosixFileSystemTest : public ::testing::Test {
  protected:
    void SetUp() override {
        char pattern[] = "/tmp/tessaline-file-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        m_folder = pattern;
        m_path = (m_folder / "upgrade.bin").string();
        std::ofstream(m_path, std::ios::binary) << std::string("AB\0\x1b\xff", 5);
    }
    void TearDown() override { fs::remove_all(m_folder); }

    fs::path m_folder;
    std::string m_path;
    PosixFileSystem m_files;
};

TEST_F(PosixFileSystemTest, ReadsLengthAndBytes) {
    auto file = m_files.OpenForReading(m_path);
    ASSERT_NE(file, nullptr);
    EXPECT_EQ(file->Length(), 5u);
    char buffer[8] = {};
    EXPECT_EQ(file->Read(buffer, 3), 3u);
    EXPECT_EQ(std::string(buffer, 3), std::string("AB\0", 3));
    // Length does not move the read position.
    EXPECT_EQ(file->Length(), 5u);
    EXPECT_EQ(file->Read(buffer, 8), 2u);
    EXPECT_EQ(std::string(buffer, 2), "\x1b\xff");
    EXPECT_EQ(file->Read(buffer, 8), 0u);
}

TEST_F(PosixFileSystemTest, RefusesWhatCannotBeOpenedAsAFile) {
    EXPECT_EQ(m_files.OpenForReading((m_folder / "missing.bin").string()), nullptr);
    EXPECT_EQ(m_files.OpenForReading(""), nullptr);
    EXPECT_EQ(m_files.OpenForReading(m_folder.string()), nullptr);
    EXPECT_EQ(m_files.OpenForReading(m_path + "/below"), nullptr);
}

// ---- No sharing: the lock ----

TEST_F(PosixFileSystemTest, SecondOpenIsRefusedUntilTheFirstCloses) {
    auto first = m_files.OpenForReading(m_path);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(m_files.OpenForReading(m_path), nullptr);
    first.reset();
    EXPECT_NE(m_files.OpenForReading(m_path), nullptr);
}

TEST_F(PosixFileSystemTest, FileFlockedElsewhereIsRefused) {
    const int other = ::open(m_path.c_str(), O_RDONLY | O_CLOEXEC);
    ASSERT_GE(other, 0);
    ASSERT_EQ(::flock(other, LOCK_SH), 0);
    EXPECT_EQ(m_files.OpenForReading(m_path), nullptr) << "a shared lock is held";
    ::close(other);
    EXPECT_NE(m_files.OpenForReading(m_path), nullptr);
}

// fcntl locks belong to a process, so only another process can hold one against us. A read
// lock counts as much as a write lock: the other program is using the file.
class CupsFileSystemFcntlLock : public PosixFileSystemTest,
                                public ::testing::WithParamInterface<short> {};

TEST_P(CupsFileSystemFcntlLock, FileLockedByAnotherProcessIsRefused) {
    const short lockType = GetParam();
    int ready[2];
    int release[2];
    ASSERT_EQ(::pipe(ready), 0);
    ASSERT_EQ(::pipe(release), 0);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        const int fd = ::open(m_path.c_str(), lockType == F_RDLCK ? O_RDONLY : O_RDWR);
        struct flock lock {};
        lock.l_type = lockType;
        lock.l_whence = SEEK_SET;
        const char status = fd >= 0 && ::fcntl(fd, F_SETLK, &lock) == 0 ? 'y' : 'n';
        (void)!::write(ready[1], &status, 1);
        char done = 0;
        (void)!::read(release[0], &done, 1);
        ::_exit(0);
    }
    char status = 0;
    ASSERT_EQ(::read(ready[0], &status, 1), 1);
    ASSERT_EQ(status, 'y');
    EXPECT_EQ(m_files.OpenForReading(m_path), nullptr);
    const char done = 'x';
    ASSERT_EQ(::write(release[1], &done, 1), 1);
    int exitStatus = 0;
    ASSERT_EQ(::waitpid(child, &exitStatus, 0), child);
    EXPECT_NE(m_files.OpenForReading(m_path), nullptr);
    for (int fd : {ready[0], ready[1], release[0], release[1]}) {
        ::close(fd);
    }
}

INSTANTIATE_TEST_SUITE_P(Locks, CupsFileSystemFcntlLock,
                         ::testing::Values(static_cast<short>(F_WRLCK),
                                           static_cast<short>(F_RDLCK)),
                         [](const auto& param) {
                             return std::string(param.param == F_RDLCK ? "Read" : "Write");
                         });

// ---- Errors in the user's terms ----

TEST(PosixFileErrors, CausesFromErrno) {
    const std::pair<int, FileErrorCause> cases[] = {
        {ENOENT, FileErrorCause::FileNotFound},
        {ENOTDIR, FileErrorCause::BadPath},
        {EMFILE, FileErrorCause::TooManyOpenFiles},
        {EACCES, FileErrorCause::AccessDenied},
        {EISDIR, FileErrorCause::InvalidFile},
        {EIO, FileErrorCause::HardIO},
        {EWOULDBLOCK, FileErrorCause::LockViolation},
        {ENOSPC, FileErrorCause::DiskFull},
        {EINVAL, FileErrorCause::Generic},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(FileErrorCauseFromErrno(c.first), c.second) << c.first;
    }
}

// ---- Large reads and the memory they fill ----

// The VmFlags of the mapping that holds address carry "hg": huge pages were advised for it.
bool AdvisedHugePages(const void* address) {
    std::ifstream smaps("/proc/self/smaps");
    const auto wanted = reinterpret_cast<std::uintptr_t>(address);
    bool inside = false;
    for (std::string line; std::getline(smaps, line);) {
        std::uintptr_t low = 0;
        std::uintptr_t high = 0;
        char dash = 0;
        std::istringstream range(line);
        if (range >> std::hex >> low >> dash >> high && dash == '-') {
            inside = low <= wanted && wanted < high;
        } else if (inside && line.rfind("VmFlags:", 0) == 0) {
            return (line + " ").find(" hg ") != std::string::npos;
        }
    }
    return false;
}

// Eight private MiB, freshly mapped so no advice is on them yet; unmapped on every path.
class FreshMapping {
  public:
    static constexpr std::size_t kSize = 8u << 20;
    FreshMapping()
        : m_base(
              ::mmap(nullptr, kSize, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0)) {}
    ~FreshMapping() {
        if (m_base != MAP_FAILED) {
            ::munmap(m_base, kSize);
        }
    }
    FreshMapping(const FreshMapping&) = delete;
    FreshMapping& operator=(const FreshMapping&) = delete;

    bool Mapped() const { return m_base != MAP_FAILED; }
    char* At(std::size_t offset) const { return static_cast<char*>(m_base) + offset; }
    char* LastByte() const { return At(kSize - 1); }

  private:
    void* m_base;
};

// size bytes of a pattern that differs from page to page, written to path and returned.
std::vector<char> WritePatternedFile(const std::string& path, std::size_t size, unsigned step) {
    std::vector<char> bytes(size);
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        bytes[i] = static_cast<char>(i * step + i / 4096u);
    }
    std::ofstream(path, std::ios::binary).write(bytes.data(), static_cast<long>(bytes.size()));
    return bytes;
}

TEST_F(PosixFileSystemTest, ReadsOfTwoMebibytesOrMoreAdviseHugePagesForTheirDestination) {
    if (!fs::exists("/sys/kernel/mm/transparent_hugepage")) {
        GTEST_SKIP() << "this kernel has no transparent huge pages";
    }
    constexpr std::size_t kSmall = 1u << 20;
    constexpr std::size_t kLarge = (2u << 20) + 4097u;
    const std::vector<char> bytes = WritePatternedFile(m_path, kSmall + kLarge, 7u);

    const FreshMapping mapping;
    ASSERT_TRUE(mapping.Mapped());
    // Off a page boundary, as a heap block is.
    char* destination = mapping.At(16);
    auto file = m_files.OpenForReading(m_path);
    ASSERT_NE(file, nullptr);
    EXPECT_EQ(file->Read(destination, kSmall), kSmall);
    EXPECT_FALSE(AdvisedHugePages(destination)) << "a read under 2 MiB leaves the memory alone";
    EXPECT_EQ(file->Read(destination + kSmall, kLarge), kLarge);
    EXPECT_TRUE(AdvisedHugePages(destination + kSmall));
    EXPECT_TRUE(AdvisedHugePages(destination + kSmall + kLarge - 1));
    EXPECT_FALSE(AdvisedHugePages(mapping.LastByte())) << "nothing past the destination is advised";
    EXPECT_EQ(std::memcmp(destination, bytes.data(), bytes.size()), 0);
}

// Exactly 2 MiB is large enough, and the advice reaches the page of the destination's last
// byte even though the destination starts inside its first page.
TEST_F(PosixFileSystemTest, ReadOfExactlyTwoMebibytesOffAPageStartIsAdvisedToItsLastByte) {
    if (!fs::exists("/sys/kernel/mm/transparent_hugepage")) {
        GTEST_SKIP() << "this kernel has no transparent huge pages";
    }
    constexpr std::size_t kTwoMiB = 2u << 20;
    const std::vector<char> bytes = WritePatternedFile(m_path, kTwoMiB, 13u);

    const FreshMapping mapping;
    ASSERT_TRUE(mapping.Mapped());
    char* destination = mapping.At(16);
    auto file = m_files.OpenForReading(m_path);
    ASSERT_NE(file, nullptr);
    EXPECT_EQ(file->Read(destination, kTwoMiB), kTwoMiB);
    EXPECT_TRUE(AdvisedHugePages(destination));
    EXPECT_TRUE(AdvisedHugePages(destination + kTwoMiB - 1))
        << "the last page of the destination was left out";
    EXPECT_FALSE(AdvisedHugePages(mapping.LastByte()));
    EXPECT_EQ(std::memcmp(destination, bytes.data(), bytes.size()), 0);
}

}  // namespace
}  // namespace tessaline
