#include "capture_server.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>
#include <utility>
#include <vector>

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include "capture_log.h"

namespace capture {

namespace {

bool ReadWholeFile(const std::string& path, std::string& text) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        return false;
    }
    std::ostringstream buffer;
    buffer << in.rdbuf();
    text = buffer.str();
    return true;
}

// Written beside the target and renamed, so a reader never sees an empty port file.
bool WriteFileAtomically(const std::string& path, const std::string& text) {
    const std::string temp = path + ".tmp";
    {
        std::ofstream out(temp, std::ios::binary | std::ios::trunc);
        out << text;
        if (!out.flush()) {
            return false;
        }
    }
    return std::rename(temp.c_str(), path.c_str()) == 0;
}

// Flushed per chunk so a job still in flight can be watched growing in its part file.
bool WriteAll(std::FILE* file, const char* data, std::size_t size) {
    return std::fwrite(data, 1, size, file) == size && std::fflush(file) == 0;
}

}  // namespace

CaptureServer::CaptureServer(ServerOptions options)
    : m_options(std::move(options)), m_store(m_options.jobs_dir), m_port(m_options.port) {}

CaptureServer::~CaptureServer() {
    StopListening();
}

bool CaptureServer::Start(std::string& error) {
    if (!m_store.Open()) {
        error = "cannot read jobs folder " + m_options.jobs_dir + ": " + std::strerror(errno);
        return false;
    }
    if (!Listen(error)) {
        return false;
    }
    if (!m_options.port_file.empty() &&
        !WriteFileAtomically(m_options.port_file, std::to_string(m_port) + "\n")) {
        error = "cannot write port file " + m_options.port_file;
        return false;
    }
    Log("listen port=" + std::to_string(m_port));
    ApplyModeFile();
    return true;
}

bool CaptureServer::Listen(std::string& error) {
    const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        error = std::string("socket: ") + std::strerror(errno);
        return false;
    }
    const int on = 1;
    setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(m_port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0 ||
        listen(fd, 16) != 0) {
        error =
            "cannot listen on 127.0.0.1:" + std::to_string(m_port) + ": " + std::strerror(errno);
        close(fd);
        return false;
    }
    socklen_t length = sizeof address;
    getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
    m_port = ntohs(address.sin_port);
    m_listener = fd;
    return true;
}

void CaptureServer::StopListening() {
    if (m_listener >= 0) {
        close(m_listener);
        m_listener = -1;
    }
}

void CaptureServer::ApplyModeFile() {
    Mode wanted;  // no mode file means accept
    std::string text;
    if (!m_options.mode_file.empty() && ReadWholeFile(m_options.mode_file, text)) {
        const std::optional<Mode> parsed = ParseMode(text);
        if (!parsed) {
            if (text != m_rejected_mode_text) {
                m_rejected_mode_text = text;
                Log("mode-error unreadable mode file");
            }
            return;
        }
        wanted = *parsed;
    }
    m_rejected_mode_text.clear();
    if (wanted.kind == ModeKind::Refuse) {
        StopListening();
    } else if (m_listener < 0) {
        std::string error;
        if (!Listen(error)) {
            // Keep the old mode so the next tick tries again.
            Log("listen-error " + error);
            return;
        }
    }
    if (wanted != m_mode) {
        m_mode = wanted;
        Log("mode " + FormatMode(m_mode));
    }
}

void CaptureServer::Run(const std::atomic<bool>& stop) {
    while (!stop.load()) {
        ApplyModeFile();
        if (m_listener < 0) {
            poll(nullptr, 0, m_options.idle_poll_ms);
            continue;
        }
        pollfd waiting{m_listener, POLLIN, 0};
        if (poll(&waiting, 1, m_options.idle_poll_ms) <= 0) {
            continue;
        }
        const int connection = accept4(m_listener, nullptr, nullptr, SOCK_CLOEXEC);
        if (connection < 0) {
            continue;
        }
        // The mode may have changed since the last tick; the connection obeys the latest one.
        ApplyModeFile();
        Serve(connection, stop);
    }
}

void CaptureServer::Serve(int connection, const std::atomic<bool>& stop) {
    JobRecord job;
    job.number = m_store.NextNumber();
    job.connect_micros = NowMicros();
    const std::string part = m_store.PartPath(job.number);
    std::FILE* file = std::fopen(part.c_str(), "wb");
    if (file == nullptr) {
        Log("write-error " + part + ": " + std::strerror(errno));
        close(connection);
        return;
    }
    const bool limited = m_mode.kind == ModeKind::CloseAfter;
    std::vector<char> buffer(64 * 1024);
    bool complete = false;
    bool failed = false;
    while (!stop.load()) {
        if (limited && job.bytes >= m_mode.close_after) {
            job.closed_early = true;
            break;
        }
        pollfd readable{connection, POLLIN, 0};
        if (poll(&readable, 1, m_options.idle_poll_ms) <= 0) {
            continue;
        }
        std::size_t want = buffer.size();
        if (limited && m_mode.close_after - job.bytes < want) {
            want = static_cast<std::size_t>(m_mode.close_after - job.bytes);
        }
        const ssize_t got = recv(connection, buffer.data(), want, 0);
        if (got == 0) {
            complete = true;
            break;
        }
        if (got < 0) {
            if (errno == EINTR) {
                continue;
            }
            // A sender that resets still delivered what arrived; keep it.
            complete = true;
            break;
        }
        if (!WriteAll(file, buffer.data(), static_cast<std::size_t>(got))) {
            failed = true;
            break;
        }
        job.bytes += static_cast<std::uint64_t>(got);
    }
    if (job.closed_early) {
        // Reset rather than a polite close, so the sender's next write fails at once.
        const linger abort_now{1, 0};
        setsockopt(connection, SOL_SOCKET, SO_LINGER, &abort_now, sizeof abort_now);
    }
    close(connection);
    job.close_micros = NowMicros();
    failed = std::fclose(file) != 0 || failed;
    if (failed) {
        Log("write-error " + part);
        return;
    }
    if (!complete && !job.closed_early) {
        Log("stopped during job " + std::to_string(job.number));
        return;
    }
    // Logged before the rename: whoever sees the job file can rely on its log line.
    AppendLine(m_options.log_file, FormatJobLine(job));
    if (!m_store.Commit()) {
        Log("write-error cannot rename " + part);
    }
}

void CaptureServer::Log(const std::string& event) {
    AppendLine(m_options.log_file, FormatEventLine(NowMicros(), event));
}

}  // namespace capture
