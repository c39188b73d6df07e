#include "platform/cups/cups_sign_in.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

namespace tessaline {
namespace {

TEST(CupsSignIn, PasswordFileRules) {
    const uid_t me = 1000;
    struct Case {
        const char* name;
        mode_t mode;
        uid_t owner;
        const char* problem;
    };
    const Case cases[] = {
        {"owner only", S_IFREG | 0600, me, ""},
        {"owner read only", S_IFREG | 0400, me, ""},
        {"group may write only", S_IFREG | 0620, me, ""},
        {"group reads", S_IFREG | 0640, me,
         "others can read it; make it readable by its owner only (chmod 600)"},
        {"others read", S_IFREG | 0604, me,
         "others can read it; make it readable by its owner only (chmod 600)"},
        {"someone else's", S_IFREG | 0600, me + 1,
         "owned by another user; it must be the user's own"},
        {"root's", S_IFREG | 0600, 0, "owned by another user; it must be the user's own"},
        {"a folder", S_IFDIR | 0700, me, "not a regular file"},
        {"a pipe", S_IFIFO | 0600, me, "not a regular file"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(PasswordFileProblem(c.mode, c.owner, me), c.problem) << c.name;
    }
}

TEST(CupsSignIn, PasswordOnlyOverEncryptedConnections) {
    EXPECT_TRUE(MayAskPassword(true));
    EXPECT_FALSE(MayAskPassword(false));
    EXPECT_EQ(PlainPasswordNote("printer.example:631"),
              "refused to send a password over a plain connection to printer.example:631; "
              "use --encrypt or ipps://");
}

// The first line of what fd holds, as a password: no line end, nothing after it.
TEST(CupsSignIn, ReadsTheFirstLineWithoutItsLineEnd) {
    struct Case {
        std::string text;
        std::string line;
    };
    const Case cases[] = {
        {"secret\n", "secret"},   {"secret", "secret"},
        {"secret\r\n", "secret"}, {"one\ntwo\n", "one"},
        {"\nsecond\n", ""},       {"", ""},
        {"a b\tc\n", "a b\tc"},   {"cr\rinside\n", "cr\rinside"},
    };
    for (const Case& c : cases) {
        int fds[2];
        ASSERT_EQ(pipe(fds), 0);
        ASSERT_EQ(write(fds[1], c.text.data(), c.text.size()), static_cast<ssize_t>(c.text.size()));
        close(fds[1]);
        char buffer[64];
        std::size_t used = 99;
        EXPECT_TRUE(ReadPasswordLine(fds[0], buffer, sizeof buffer, &used)) << c.text;
        EXPECT_EQ(std::string(buffer, used), c.line) << c.text;
        close(fds[0]);
    }
}

TEST(CupsSignIn, ReadsNoMoreThanTheBufferHolds) {
    int fds[2];
    ASSERT_EQ(pipe(fds), 0);
    ASSERT_EQ(write(fds[1], "abcdefgh\n", 9), 9);
    close(fds[1]);
    char buffer[4];
    std::size_t used = 0;
    EXPECT_TRUE(ReadPasswordLine(fds[0], buffer, sizeof buffer, &used));
    EXPECT_EQ(std::string(buffer, used), "abcd");
    close(fds[0]);
}

class CupsSignInFileTest : public ::testing::Test {
  protected:
    void SetUp() override {
        char name[] = "/tmp/tessaline_password_XXXXXX";
        const int fd = mkstemp(name);
        ASSERT_GE(fd, 0);
        ASSERT_EQ(write(fd, "pw\n", 3), 3);
        close(fd);
        m_path = name;
    }
    void TearDown() override { std::remove(m_path.c_str()); }
    std::string m_path;
};

TEST_F(CupsSignInFileTest, RefusesAFileOthersCanRead) {
    ASSERT_EQ(chmod(m_path.c_str(), 0644), 0);
    CupsSignIn signIn;
    SignInOptions options;
    options.passwordFile = m_path;
    std::string why;
    EXPECT_FALSE(signIn.Configure(options, &why));
    EXPECT_EQ(why, "--password-file " + m_path +
                       ": others can read it; make it readable by its owner only (chmod 600)");
}

TEST_F(CupsSignInFileTest, TakesAFileOnlyItsOwnerReads) {
    ASSERT_EQ(chmod(m_path.c_str(), 0600), 0);
    CupsSignIn signIn;
    SignInOptions options;
    options.passwordFile = m_path;
    std::string why = "untouched";
    EXPECT_TRUE(signIn.Configure(options, &why));
    EXPECT_EQ(why, "untouched");
    EXPECT_EQ(signIn.TakeRefusal(), "");
}

TEST_F(CupsSignInFileTest, RefusesAFileThatCannotBeOpened) {
    const std::string missing = m_path + ".missing";
    CupsSignIn signIn;
    SignInOptions options;
    options.passwordFile = missing;
    std::string why;
    EXPECT_FALSE(signIn.Configure(options, &why));
    EXPECT_EQ(why, "--password-file " + missing + ": No such file or directory");
}

}  // namespace
}  // namespace tessaline
