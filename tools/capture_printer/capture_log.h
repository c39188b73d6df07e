#pragma once

#include <cstdint>
#include <string>

namespace capture {

// Times are microseconds since the Unix epoch, printed as seconds with six decimals so that
// shell tests can compare them with `date +%s.%N`.
std::int64_t NowMicros();
std::string FormatTime(std::int64_t micros);

struct JobRecord {
    std::uint64_t number = 0;
    std::int64_t connect_micros = 0;
    std::int64_t close_micros = 0;
    std::uint64_t bytes = 0;
    bool closed_early = false;
};

// One line each, without the trailing newline:
//   <time> job <number> connect=<time> close=<time> bytes=<n> early=<yes|no>
//   <time> <event text>
std::string FormatJobLine(const JobRecord& job);
std::string FormatEventLine(std::int64_t micros, const std::string& event);

// Appends one line and flushes it, so a reader never sees half a line for long.
// An empty path means no log; a failing write is ignored, the jobs matter more.
void AppendLine(const std::string& path, const std::string& line);

}  // namespace capture
