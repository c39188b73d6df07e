#include "platform/cups/posix_file_system.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include <gtest/gtest.h>

namespace tessaline {
namespace {

namespace fs = std::filesystem;

class CupsFileSystem : public ::testing::Test {
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

TEST_F(CupsFileSystem, ReadsLengthAndBytes) {
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

TEST_F(CupsFileSystem, RefusesWhatCannotBeOpenedAsAFile) {
    EXPECT_EQ(m_files.OpenForReading((m_folder / "missing.bin").string()), nullptr);
    EXPECT_EQ(m_files.OpenForReading(""), nullptr);
    EXPECT_EQ(m_files.OpenForReading(m_folder.string()), nullptr);
    EXPECT_EQ(m_files.OpenForReading(m_path + "/below"), nullptr);
}

// ---- No sharing: the lock ----

TEST_F(CupsFileSystem, SecondOpenIsRefusedUntilTheFirstCloses) {
    auto first = m_files.OpenForReading(m_path);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(m_files.OpenForReading(m_path), nullptr);
    first.reset();
    EXPECT_NE(m_files.OpenForReading(m_path), nullptr);
}

TEST_F(CupsFileSystem, FileFlockedElsewhereIsRefused) {
    const int other = ::open(m_path.c_str(), O_RDONLY | O_CLOEXEC);
    ASSERT_GE(other, 0);
    ASSERT_EQ(::flock(other, LOCK_SH), 0);
    EXPECT_EQ(m_files.OpenForReading(m_path), nullptr) << "a shared lock is held";
    ::close(other);
    EXPECT_NE(m_files.OpenForReading(m_path), nullptr);
}

// fcntl locks belong to a process, so only another process can hold one against us.
TEST_F(CupsFileSystem, FileWithAnFcntlLockOfAnotherProcessIsRefused) {
    int ready[2];
    int release[2];
    ASSERT_EQ(::pipe(ready), 0);
    ASSERT_EQ(::pipe(release), 0);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        const int fd = ::open(m_path.c_str(), O_RDWR);
        struct flock lock {};
        lock.l_type = F_WRLCK;
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

// ---- Errors in the user's terms ----

TEST(CupsFileErrors, CausesFromErrno) {
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

}  // namespace
}  // namespace tessaline
