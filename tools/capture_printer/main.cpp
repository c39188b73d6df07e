// capture_printer: stores every TCP connection's bytes on 127.0.0.1:PORT as one job file.
#include <atomic>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "capture_server.h"

namespace {

std::atomic<bool> g_stop{false};

void OnStopSignal(int) {
    g_stop.store(true);
}

constexpr char kUsage[] =
    "usage: capture_printer --port N --jobs DIR [--port-file FILE] [--log FILE] "
    "[--mode-file FILE]\n"
    "  --port 0 lets the system pick a port; --port-file then tells which.\n"
    "  The mode file holds \"accept\", \"refuse\" or \"close-after N\"; it is re-read\n"
    "  before every connection and while idle. Runs until SIGTERM or SIGINT.\n";

bool ParsePort(const std::string& text, std::uint16_t& port) {
    char* end = nullptr;
    const unsigned long value = std::strtoul(text.c_str(), &end, 10);
    if (text.empty() || *end != '\0' || value > 65535) {
        return false;
    }
    port = static_cast<std::uint16_t>(value);
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    capture::ServerOptions options;
    bool have_port = false;
    for (int i = 1; i < argc; ++i) {
        const std::string flag = argv[i];
        if (i + 1 >= argc) {
            std::fputs(kUsage, stderr);
            return 2;
        }
        const std::string value = argv[++i];
        if (flag == "--port") {
            have_port = ParsePort(value, options.port);
            if (!have_port) {
                std::fprintf(stderr, "capture_printer: bad port: %s\n", value.c_str());
                return 2;
            }
        } else if (flag == "--jobs") {
            options.jobs_dir = value;
        } else if (flag == "--port-file") {
            options.port_file = value;
        } else if (flag == "--log") {
            options.log_file = value;
        } else if (flag == "--mode-file") {
            options.mode_file = value;
        } else {
            std::fputs(kUsage, stderr);
            return 2;
        }
    }
    if (!have_port || options.jobs_dir.empty()) {
        std::fputs(kUsage, stderr);
        return 2;
    }

    struct sigaction action {};
    action.sa_handler = OnStopSignal;
    sigemptyset(&action.sa_mask);
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGINT, &action, nullptr);
    std::signal(SIGPIPE, SIG_IGN);

    capture::CaptureServer server(options);
    std::string error;
    if (!server.Start(error)) {
        std::fprintf(stderr, "capture_printer: %s\n", error.c_str());
        return 1;
    }
    server.Run(g_stop);
    return 0;
}
