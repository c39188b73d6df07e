#pragma once

#include <atomic>
#include <cstdint>
#include <string>

#include "capture_mode.h"
#include "job_store.h"

namespace capture {

struct ServerOptions {
    std::uint16_t port = 0;  // 0: the system picks one; Port() tells which
    std::string jobs_dir;
    std::string port_file;  // optional: receives the port number once listening
    std::string log_file;   // optional
    std::string mode_file;  // optional: re-read between connections and while idle
    int idle_poll_ms = 50;
};

// Accepts one connection at a time on 127.0.0.1 and stores each connection's bytes as one
// job. Not thread-safe: Run() owns the object until the stop flag is set.
class CaptureServer {
  public:
    explicit CaptureServer(ServerOptions options);
    ~CaptureServer();
    CaptureServer(const CaptureServer&) = delete;
    CaptureServer& operator=(const CaptureServer&) = delete;

    // Binds the port and writes the port file; on failure returns false and sets error.
    bool Start(std::string& error);
    std::uint16_t Port() const { return m_port; }

    // Serves until stop becomes true (checked at least every idle_poll_ms).
    void Run(const std::atomic<bool>& stop);

  private:
    bool Listen(std::string& error);
    void StopListening();
    void ApplyModeFile();
    void Serve(int connection, const std::atomic<bool>& stop);
    void Log(const std::string& event);

    ServerOptions m_options;
    JobStore m_store;
    Mode m_mode;
    std::string m_rejected_mode_text;
    int m_listener = -1;
    std::uint16_t m_port = 0;
};

}  // namespace capture
