#include "capture_log.h"

#include <chrono>
#include <cstdio>

namespace capture {

std::int64_t NowMicros() {
    using namespace std::chrono;
    return duration_cast<microseconds>(system_clock::now().time_since_epoch()).count();
}

std::string FormatTime(std::int64_t micros) {
    char text[32];
    std::snprintf(text, sizeof text, "%lld.%06lld", static_cast<long long>(micros / 1000000),
                  static_cast<long long>(micros % 1000000));
    return text;
}

std::string FormatJobLine(const JobRecord& job) {
    return FormatTime(job.close_micros) + " job " + std::to_string(job.number) +
           " connect=" + FormatTime(job.connect_micros) + " close=" + FormatTime(job.close_micros) +
           " bytes=" + std::to_string(job.bytes) + " early=" + (job.closed_early ? "yes" : "no");
}

std::string FormatEventLine(std::int64_t micros, const std::string& event) {
    return FormatTime(micros) + " " + event;
}

void AppendLine(const std::string& path, const std::string& line) {
    if (path.empty()) {
        return;
    }
    std::FILE* file = std::fopen(path.c_str(), "a");
    if (file == nullptr) {
        return;
    }
    std::fputs(line.c_str(), file);
    std::fputc('\n', file);
    std::fclose(file);
}

}  // namespace capture
