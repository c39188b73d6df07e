#pragma once

#include <cstdint>
#include <deque>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "platform/job_monitor.h"

namespace tessaline {

// Answers each job's state from a script, one answer per question; the last answer repeats.
// A job with no script is Unknown. Every question is logged as "State(<printer>,<id>)".
class FakeJobMonitor : public JobMonitor {
  public:
    std::map<std::pair<std::string, std::uint32_t>, std::deque<JobState>> scripts;
    std::vector<std::string> calls;

    JobState State(const std::string& printer, std::uint32_t jobId) override {
        calls.push_back("State(" + printer + "," + std::to_string(jobId) + ")");
        auto it = scripts.find({printer, jobId});
        if (it == scripts.end() || it->second.empty()) {
            return JobState::Unknown;
        }
        const JobState state = it->second.front();
        if (it->second.size() > 1) {
            it->second.pop_front();
        }
        return state;
    }
};

}  // namespace tessaline
