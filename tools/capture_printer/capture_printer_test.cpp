#include <gtest/gtest.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include "capture_log.h"
#include "capture_mode.h"
#include "capture_server.h"
#include "job_store.h"

namespace {

using capture::Mode;
using capture::ModeKind;

// ---- Mode file text ----

struct ModeCase {
    const char* name;
    const char* text;
    bool valid;
    Mode expected;
};

const ModeCase kModeCases[] = {
    {"accept", "accept", true, {ModeKind::Accept, 0}},
    {"accept_with_newline", "accept\n", true, {ModeKind::Accept, 0}},
    {"refuse_padded", "  refuse \r\n", true, {ModeKind::Refuse, 0}},
    {"close_after", "close-after 100", true, {ModeKind::CloseAfter, 100}},
    {"close_after_zero", "close-after 0\n", true, {ModeKind::CloseAfter, 0}},
    {"close_after_tab", "close-after\t7", true, {ModeKind::CloseAfter, 7}},
    {"empty", "", false, {}},
    {"capitalised", "Accept", false, {}},
    {"close_after_without_count", "close-after", false, {}},
    {"close_after_glued", "close-after5", false, {}},
    {"close_after_negative", "close-after -1", false, {}},
    {"close_after_trailing_junk", "close-after 12x", false, {}},
    {"close_after_two_numbers", "close-after 1 2", false, {}},
    {"close_after_too_long", "close-after 1234567890123456789", false, {}},
    {"unknown_word", "pause", false, {}},
};

TEST(CaptureMode, ParsesModeFileText) {
    for (const ModeCase& c : kModeCases) {
        SCOPED_TRACE(c.name);
        const std::optional<Mode> parsed = capture::ParseMode(c.text);
        ASSERT_EQ(parsed.has_value(), c.valid);
        if (c.valid) {
            EXPECT_TRUE(*parsed == c.expected) << capture::FormatMode(*parsed);
        }
    }
}

TEST(CaptureMode, FormatRoundTrips) {
    const Mode modes[] = {{ModeKind::Accept, 0}, {ModeKind::Refuse, 0}, {ModeKind::CloseAfter, 42}};
    const char* texts[] = {"accept", "refuse", "close-after 42"};
    for (int i = 0; i < 3; ++i) {
        SCOPED_TRACE(texts[i]);
        EXPECT_EQ(capture::FormatMode(modes[i]), texts[i]);
        EXPECT_TRUE(*capture::ParseMode(texts[i]) == modes[i]);
    }
}

// ---- Log lines and job names ----

TEST(CaptureLog, FormatsExactLines) {
    capture::JobRecord job;
    job.number = 12;
    job.connect_micros = 1700000000000001;
    job.close_micros = 1700000001250000;
    job.bytes = 4096;
    EXPECT_EQ(capture::FormatJobLine(job),
              "1700000001.250000 job 12 connect=1700000000.000001 close=1700000001.250000 "
              "bytes=4096 early=no");
    job.closed_early = true;
    EXPECT_EQ(capture::FormatJobLine(job),
              "1700000001.250000 job 12 connect=1700000000.000001 close=1700000001.250000 "
              "bytes=4096 early=yes");
    EXPECT_EQ(capture::FormatEventLine(5000000, "mode refuse"), "5.000000 mode refuse");
}

TEST(JobStore, NamesJobsWithSixDigits) {
    EXPECT_EQ(capture::JobStore::FileName(1), "job-000001.bin");
    EXPECT_EQ(capture::JobStore::FileName(999999), "job-999999.bin");
    EXPECT_EQ(capture::JobStore::FileName(1000000), "job-1000000.bin");
}

// ---- The listener, over real loopback sockets ----

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

void WriteFile(const std::string& path, const std::string& text) {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << text;
}

bool Exists(const std::string& path) {
    struct stat info;
    return stat(path.c_str(), &info) == 0;
}

// Waits up to two seconds for a condition the server thread brings about.
template <typename Condition>
bool Eventually(Condition condition) {
    for (int i = 0; i < 200; ++i) {
        if (condition()) {
            return true;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return condition();
}

// Returns the connected socket, or -1 with errno from connect.
int Connect(std::uint16_t port) {
    const int fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        const int saved = errno;
        close(fd);
        errno = saved;
        return -1;
    }
    return fd;
}

void SendAndClose(std::uint16_t port, const std::string& bytes) {
    const int fd = Connect(port);
    ASSERT_GE(fd, 0) << std::strerror(errno);
    ASSERT_EQ(send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL),
              static_cast<ssize_t>(bytes.size()));
    close(fd);
}

class CaptureServerTest : public ::testing::Test {
  protected:
    void SetUp() override {
        char pattern[] = "/tmp/capture-test-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        m_dir = pattern;
        m_jobs = m_dir + "/jobs";
        ASSERT_EQ(mkdir(m_jobs.c_str(), 0755), 0);
    }

    void TearDown() override {
        StopServer();
        const std::string command = "rm -rf '" + m_dir + "'";
        EXPECT_EQ(std::system(command.c_str()), 0);
    }

    void StartServer() {
        capture::ServerOptions options;
        options.port = 0;
        options.jobs_dir = m_jobs;
        options.port_file = m_dir + "/port";
        options.log_file = m_dir + "/log";
        options.mode_file = m_dir + "/mode";
        options.idle_poll_ms = 10;
        m_server = std::make_unique<capture::CaptureServer>(options);
        std::string error;
        ASSERT_TRUE(m_server->Start(error)) << error;
        m_thread = std::thread([this] { m_server->Run(m_stop); });
    }

    void StopServer() {
        m_stop.store(true);
        if (m_thread.joinable()) {
            m_thread.join();
        }
    }

    std::string Job(int number) const {
        return m_jobs + "/" + capture::JobStore::FileName(static_cast<std::uint64_t>(number));
    }

    std::string LogText() const { return ReadFile(m_dir + "/log"); }

    std::string m_dir;
    std::string m_jobs;
    std::atomic<bool> m_stop{false};
    std::unique_ptr<capture::CaptureServer> m_server;
    std::thread m_thread;
};

std::string AwkwardBytes(std::size_t size) {
    std::string bytes = std::string(
        "\x1b"
        "E\0\x0c\xff",
        5);
    while (bytes.size() < size) {
        bytes.push_back(static_cast<char>((bytes.size() * 131) & 0xff));
    }
    return bytes;
}

TEST_F(CaptureServerTest, StoresEachConnectionAsItsOwnNumberedJob) {
    StartServer();
    EXPECT_EQ(ReadFile(m_dir + "/port"), std::to_string(m_server->Port()) + "\n");

    const std::string first = AwkwardBytes(300000);
    const std::string second = std::string("\0\0\x1b", 3);
    SendAndClose(m_server->Port(), first);
    ASSERT_TRUE(Eventually([&] { return Exists(Job(1)); }));
    SendAndClose(m_server->Port(), second);
    ASSERT_TRUE(Eventually([&] { return Exists(Job(2)); }));

    EXPECT_EQ(ReadFile(Job(1)), first);
    EXPECT_EQ(ReadFile(Job(2)), second);
    EXPECT_FALSE(Exists(Job(1) + ".part"));
    EXPECT_FALSE(Exists(Job(3)));
    const std::string log = LogText();
    EXPECT_NE(log.find(" job 1 connect="), std::string::npos) << log;
    EXPECT_NE(log.find(" bytes=300000 early=no\n"), std::string::npos) << log;
    EXPECT_NE(log.find(" job 2 connect="), std::string::npos) << log;
    EXPECT_NE(log.find(" bytes=3 early=no\n"), std::string::npos) << log;
}

TEST_F(CaptureServerTest, KeepsThePartFileUntilTheConnectionCloses) {
    StartServer();
    const int fd = Connect(m_server->Port());
    ASSERT_GE(fd, 0);
    ASSERT_EQ(send(fd, "abc", 3, MSG_NOSIGNAL), 3);
    ASSERT_TRUE(Eventually([&] { return ReadFile(Job(1) + ".part") == "abc"; }));
    EXPECT_FALSE(Exists(Job(1)));
    close(fd);
    ASSERT_TRUE(Eventually([&] { return Exists(Job(1)); }));
    EXPECT_EQ(ReadFile(Job(1)), "abc");
    EXPECT_FALSE(Exists(Job(1) + ".part"));
}

TEST_F(CaptureServerTest, ContinuesNumberingAfterExistingJobs) {
    WriteFile(m_jobs + "/job-000007.bin", "old");
    WriteFile(m_jobs + "/job-000009.bin.part", "unfinished");
    StartServer();
    SendAndClose(m_server->Port(), "new");
    ASSERT_TRUE(Eventually([&] { return Exists(Job(8)); }));
    EXPECT_EQ(ReadFile(Job(8)), "new");
    EXPECT_EQ(ReadFile(Job(7)), "old");
}

TEST_F(CaptureServerTest, RefusesConnectionsUntilToldToAcceptAgain) {
    StartServer();
    const std::uint16_t port = m_server->Port();
    WriteFile(m_dir + "/mode", "refuse\n");
    ASSERT_TRUE(Eventually([&] { return LogText().find(" mode refuse\n") != std::string::npos; }));
    errno = 0;
    EXPECT_EQ(Connect(port), -1);
    EXPECT_EQ(errno, ECONNREFUSED);

    WriteFile(m_dir + "/mode", "accept\n");
    ASSERT_TRUE(Eventually([&] { return LogText().find(" mode accept\n") != std::string::npos; }));
    SendAndClose(port, "after");
    ASSERT_TRUE(Eventually([&] { return Exists(Job(1)); }));
    EXPECT_EQ(ReadFile(Job(1)), "after");
}

TEST_F(CaptureServerTest, ClosesEarlyAfterTheGivenByteCount) {
    WriteFile(m_dir + "/mode", "close-after 10");
    StartServer();
    const int fd = Connect(m_server->Port());
    ASSERT_GE(fd, 0);
    const std::string bytes = AwkwardBytes(4 * 1024 * 1024);
    // The sender must notice: some write fails once the listener hangs up.
    bool send_failed = false;
    for (std::size_t sent = 0; sent < bytes.size() && !send_failed;) {
        const ssize_t n = send(fd, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
        if (n < 0) {
            send_failed = true;
        } else {
            sent += static_cast<std::size_t>(n);
        }
    }
    ASSERT_TRUE(Eventually([&] { return Exists(Job(1)); }));
    EXPECT_EQ(ReadFile(Job(1)), bytes.substr(0, 10));
    EXPECT_NE(LogText().find(" bytes=10 early=yes\n"), std::string::npos) << LogText();
    // A slow listener lets the socket buffers swallow all 4 MiB; the reset is
    // already sent once the job is logged, so the next write must fail.
    if (!send_failed) {
        send_failed = send(fd, "x", 1, MSG_NOSIGNAL) < 0;
    }
    close(fd);
    EXPECT_TRUE(send_failed);

    WriteFile(m_dir + "/mode", "accept");
    ASSERT_TRUE(Eventually([&] { return LogText().find(" mode accept\n") != std::string::npos; }));
    SendAndClose(m_server->Port(), bytes.substr(0, 1000));
    ASSERT_TRUE(Eventually([&] { return Exists(Job(2)); }));
    EXPECT_EQ(ReadFile(Job(2)), bytes.substr(0, 1000));
}

TEST_F(CaptureServerTest, IgnoresAnUnreadableModeFile) {
    StartServer();
    WriteFile(m_dir + "/mode", "sometimes");
    ASSERT_TRUE(Eventually([&] { return LogText().find(" mode-error ") != std::string::npos; }));
    SendAndClose(m_server->Port(), "still accepted");
    ASSERT_TRUE(Eventually([&] { return Exists(Job(1)); }));
    EXPECT_EQ(ReadFile(Job(1)), "still accepted");
}

TEST(CaptureServerStart, FailsForAMissingJobsFolder) {
    capture::ServerOptions options;
    options.jobs_dir = "/nonexistent/capture-jobs";
    capture::CaptureServer server(options);
    std::string error;
    EXPECT_FALSE(server.Start(error));
    EXPECT_EQ(error.rfind("cannot read jobs folder /nonexistent/capture-jobs: ", 0), 0u) << error;
}

}  // namespace
