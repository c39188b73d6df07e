#include "platform/ipp/ipp_device_monitor.h"

#include <gtest/gtest.h>

#include <climits>
#include <functional>
#include <string>
#include <vector>

#include "fakes/fake_ipp_links.h"

namespace tessaline {
namespace {

const std::string kPrinter = "ipps://10.0.0.5/ipp/print";

struct MonitorCase {
    const char* name;
    std::uint32_t jobId;
    std::function<void(FakeIppLinks&)> setup;
    std::vector<std::string> calls;
    JobState state;
};

const MonitorCase kCases[] = {
    {"Answered",
     7,
     [](FakeIppLinks&) {},
     {"Connect", "JobAttributes(7)", "Close"},
     JobState::Completed},
    {"NoJobId", 0, [](FakeIppLinks&) {}, {}, JobState::Unknown},
    {"JobIdBeyondIpp",
     static_cast<std::uint32_t>(INT_MAX) + 1u,
     [](FakeIppLinks&) {},
     {},
     JobState::Unknown},
    {"PrinterGone",
     7,
     [](FakeIppLinks& f) { f.failAt["Connect"] = {0}; },
     {"Connect"},
     JobState::Unknown},
    {"NotAnswered",
     7,
     [](FakeIppLinks& f) { f.failAt["JobAttributes"] = {0}; },
     {"Connect", "JobAttributes(7)", "Close"},
     JobState::Unknown},
};

TEST(IppDeviceMonitor, AsksThePrinterOverItsOwnLink) {
    for (const MonitorCase& c : kCases) {
        SCOPED_TRACE(c.name);
        FakeIppLinks links;
        links.status.state = JobState::Completed;
        links.status.reasons = {"job-completed-successfully"};
        c.setup(links);
        IppDeviceMonitor monitor(links);
        const JobStatus status = monitor.Status(kPrinter, c.jobId);
        EXPECT_EQ(links.calls, c.calls);
        EXPECT_EQ(status.state, c.state);
        EXPECT_EQ(status.reasons.empty(), c.state != JobState::Completed);
    }
}

}  // namespace
}  // namespace tessaline
