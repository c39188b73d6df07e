#include "platform/cups/cups_sign_in.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <future>
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
        close(fd);
        m_path = name;
        Write("pw\n");
    }
    void TearDown() override { std::remove(m_path.c_str()); }
    void Write(const std::string& text) {
        FILE* file = std::fopen(m_path.c_str(), "wb");
        ASSERT_NE(file, nullptr);
        EXPECT_EQ(std::fwrite(text.data(), 1, text.size(), file), text.size());
        std::fclose(file);
    }
    // Configured with the file as --password-file.
    void Configure(CupsSignIn& signIn) {
        SignInOptions options;
        options.passwordFile = m_path;
        std::string why;
        ASSERT_TRUE(signIn.Configure(options, &why)) << why;
    }
    std::string m_path;
};

std::string Sent(const char* password) {
    return password != nullptr ? "\"" + std::string(password) + "\"" : "none";
}

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

// ---- What libcups is handed

TEST_F(CupsSignInFileTest, AnEmptyPasswordIsNeverSent) {
    struct Case {
        const char* name;
        const char* text;
        const char* sent;
    };
    const Case cases[] = {
        {"empty file", "", nullptr},
        {"a line end alone", "\n", nullptr},
        {"CR LF alone", "\r\n", nullptr},
        {"a password", "pw\n", "pw"},
    };
    const int connection = 0;
    for (const Case& c : cases) {
        Write(c.text);
        CupsSignIn signIn;
        Configure(signIn);
        const char* sent = signIn.Answer("Password:", &connection, true, "printer:631");
        EXPECT_EQ(Sent(sent), Sent(c.sent)) << c.name;
    }
}

// A wrong password makes libcups ask again on the same connection: two tries, never a third.
TEST_F(CupsSignInFileTest, TwoTriesPerConnection) {
    const int a = 0;
    const int b = 0;
    struct Step {
        const char* name;
        const void* connection;
        bool encrypted;
        const char* sent;
        const char* refusal;
        bool closedBefore = false;  // the connection at this address closed just before
    };
    const Step steps[] = {
        {"a plain, refused", &a, false, nullptr,
         "refused to send a password over a plain connection to printer:631; use --encrypt or "
         "ipps://"},
        {"a, try 1", &a, true, "pw", ""},
        {"a, try 2", &a, true, "pw", ""},
        {"a, try 3", &a, true, nullptr, ""},
        {"b, try 1", &b, true, "pw", ""},
        {"a, try 4", &a, true, nullptr, ""},
        {"b, try 2", &b, true, "pw", ""},
        {"b, try 3", &b, true, nullptr, ""},
        // libcups may give a new connection the address of one that closed.
        {"a new connection at a's address, try 1", &a, true, "pw", "", true},
        {"the new one, try 2", &a, true, "pw", ""},
        {"the new one, try 3", &a, true, nullptr, ""},
    };
    CupsSignIn signIn;
    Configure(signIn);
    for (const Step& step : steps) {
        if (step.closedBefore) {
            signIn.Closed(step.connection);
        }
        const char* sent =
            signIn.Answer("Password:", step.connection, step.encrypted, "printer:631");
        EXPECT_EQ(Sent(sent), Sent(step.sent)) << step.name;
        EXPECT_EQ(signIn.TakeRefusal(), step.refusal) << step.name;
        // Read once a run: what the file says once it has been read is not used.
        if (sent != nullptr) {
            Write("changed\n");
        }
    }
}

// What the terminal shows from fd, until it shows until (or shows nothing for waitMs).
std::string Shown(int fd, const std::string& until, int waitMs) {
    std::string shown;
    char buffer[256];
    pollfd ready{fd, POLLIN, 0};
    while (shown.find(until) == std::string::npos && poll(&ready, 1, waitMs) == 1) {
        const ssize_t got = read(fd, buffer, sizeof buffer);
        if (got <= 0) {
            break;
        }
        shown.append(buffer, static_cast<std::size_t>(got));
    }
    return shown;
}

bool EchoOn(int fd) {
    termios modes{};
    return tcgetattr(fd, &modes) == 0 && (modes.c_lflag & ECHO) != 0;
}

// The terminal is a pseudo-terminal; the test types as soon as the prompt shows, as a person
// or a script answering it would.
TEST(CupsSignInTerminal, AsksWithoutEchoAndSendsNoEmptyPassword) {
    struct Case {
        const char* name;
        std::string typed;
        const char* sent;
    };
    const Case cases[] = {
        {"Enter alone", "\r", nullptr},
        {"a password", "s3cret pw\r", "s3cret pw"},
    };
    const std::string prompt = "Password for alice?";
    for (const Case& c : cases) {
        const int master = posix_openpt(O_RDWR | O_NOCTTY);
        ASSERT_GE(master, 0) << c.name;
        ASSERT_EQ(grantpt(master), 0);
        ASSERT_EQ(unlockpt(master), 0);
        CupsSignIn signIn(ptsname(master));
        SignInOptions options;
        options.terminal = true;
        std::string why;
        EXPECT_TRUE(signIn.Configure(options, &why)) << why;
        const int connection = 0;
        auto answer = std::async(std::launch::async, [&] {
            return Sent(signIn.Answer(prompt.c_str(), &connection, true, "printer:631"));
        });

        std::string shown = Shown(master, prompt, 10000);
        EXPECT_FALSE(EchoOn(master)) << c.name << ": echo on while the prompt shows";
        EXPECT_EQ(write(master, c.typed.data(), c.typed.size()),
                  static_cast<ssize_t>(c.typed.size()));
        const bool answered =
            answer.wait_for(std::chrono::seconds(10)) == std::future_status::ready;
        EXPECT_TRUE(answered) << c.name << ": what was typed was not read";
        if (answered) {
            shown += Shown(master, "\n", 0);
            EXPECT_EQ(shown, prompt + " \r\n") << c.name << ": nothing typed is echoed";
            EXPECT_TRUE(EchoOn(master)) << c.name << ": echo not back on";
        }
        close(master);  // a read still waiting ends with the hang-up
        const std::string sent = answer.get();
        if (answered) {
            EXPECT_EQ(sent, Sent(c.sent)) << c.name;
        }
    }
}

}  // namespace
}  // namespace tessaline
