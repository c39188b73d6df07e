#include "platform/win32/win32_job_monitor.h"

#include <windows.h>
#include <winspool.h>

#include <cstdint>

#include <gtest/gtest.h>

namespace tessaline {
namespace {

// Newer bits that these headers give only for later Windows versions than the build targets.
constexpr std::uint32_t kJobStatusRetained = 0x2000;          // JOB_STATUS_RETAINED
constexpr std::uint32_t kJobStatusRenderingLocally = 0x4000;  // JOB_STATUS_RENDERING_LOCALLY

struct StatusCase {
    const char* name;
    std::uint32_t status;
    JobState state;
};

// The most final condition wins: printed over deleted over failed over printing.
const StatusCase kStatusCases[] = {
    // ---- Nothing final yet: it may still print
    {"none", 0, JobState::Pending},
    {"JOB_STATUS_PAUSED", JOB_STATUS_PAUSED, JobState::Pending},
    {"JOB_STATUS_SPOOLING", JOB_STATUS_SPOOLING, JobState::Pending},
    {"JOB_STATUS_OFFLINE", JOB_STATUS_OFFLINE, JobState::Pending},
    {"JOB_STATUS_PAPEROUT", JOB_STATUS_PAPEROUT, JobState::Pending},
    {"JOB_STATUS_USER_INTERVENTION", JOB_STATUS_USER_INTERVENTION, JobState::Pending},
    {"JOB_STATUS_RESTART", JOB_STATUS_RESTART, JobState::Pending},
    {"JOB_STATUS_RETAINED", kJobStatusRetained, JobState::Pending},
    {"JOB_STATUS_RENDERING_LOCALLY", kJobStatusRenderingLocally, JobState::Pending},
    {"JOB_STATUS_PAUSED | JOB_STATUS_OFFLINE | JOB_STATUS_PAPEROUT",
     JOB_STATUS_PAUSED | JOB_STATUS_OFFLINE | JOB_STATUS_PAPEROUT, JobState::Pending},
    {"unknown bit 0x8000", 0x8000u, JobState::Pending},
    {"unknown bit 0x80000000", 0x80000000u, JobState::Pending},

    // ---- Printing
    {"JOB_STATUS_PRINTING", JOB_STATUS_PRINTING, JobState::Printing},
    {"JOB_STATUS_PRINTING | JOB_STATUS_SPOOLING", JOB_STATUS_PRINTING | JOB_STATUS_SPOOLING,
     JobState::Printing},
    {"JOB_STATUS_PRINTING | JOB_STATUS_PAUSED | JOB_STATUS_PAPEROUT",
     JOB_STATUS_PRINTING | JOB_STATUS_PAUSED | JOB_STATUS_PAPEROUT, JobState::Printing},
    {"JOB_STATUS_PRINTING | unknown bit 0x80000000", JOB_STATUS_PRINTING | 0x80000000u,
     JobState::Printing},

    // ---- Failed
    {"JOB_STATUS_ERROR", JOB_STATUS_ERROR, JobState::Aborted},
    {"JOB_STATUS_BLOCKED_DEVQ", JOB_STATUS_BLOCKED_DEVQ, JobState::Aborted},
    {"JOB_STATUS_ERROR | JOB_STATUS_PRINTING", JOB_STATUS_ERROR | JOB_STATUS_PRINTING,
     JobState::Aborted},
    {"JOB_STATUS_BLOCKED_DEVQ | JOB_STATUS_PRINTING | JOB_STATUS_PAUSED",
     JOB_STATUS_BLOCKED_DEVQ | JOB_STATUS_PRINTING | JOB_STATUS_PAUSED, JobState::Aborted},

    // ---- Deleted
    {"JOB_STATUS_DELETING", JOB_STATUS_DELETING, JobState::Cancelled},
    {"JOB_STATUS_DELETED", JOB_STATUS_DELETED, JobState::Cancelled},
    {"JOB_STATUS_DELETING | JOB_STATUS_ERROR", JOB_STATUS_DELETING | JOB_STATUS_ERROR,
     JobState::Cancelled},
    {"JOB_STATUS_DELETED | JOB_STATUS_BLOCKED_DEVQ", JOB_STATUS_DELETED | JOB_STATUS_BLOCKED_DEVQ,
     JobState::Cancelled},
    {"JOB_STATUS_DELETING | JOB_STATUS_PRINTING", JOB_STATUS_DELETING | JOB_STATUS_PRINTING,
     JobState::Cancelled},

    // ---- Printed
    {"JOB_STATUS_PRINTED", JOB_STATUS_PRINTED, JobState::Completed},
    {"JOB_STATUS_COMPLETE", JOB_STATUS_COMPLETE, JobState::Completed},
    {"JOB_STATUS_PRINTED | JOB_STATUS_RETAINED", JOB_STATUS_PRINTED | kJobStatusRetained,
     JobState::Completed},
    {"JOB_STATUS_PRINTED | JOB_STATUS_DELETING", JOB_STATUS_PRINTED | JOB_STATUS_DELETING,
     JobState::Completed},
    {"JOB_STATUS_COMPLETE | JOB_STATUS_DELETED", JOB_STATUS_COMPLETE | JOB_STATUS_DELETED,
     JobState::Completed},
    {"JOB_STATUS_COMPLETE | JOB_STATUS_ERROR", JOB_STATUS_COMPLETE | JOB_STATUS_ERROR,
     JobState::Completed},
    {"JOB_STATUS_PRINTED | JOB_STATUS_BLOCKED_DEVQ | JOB_STATUS_PRINTING",
     JOB_STATUS_PRINTED | JOB_STATUS_BLOCKED_DEVQ | JOB_STATUS_PRINTING, JobState::Completed},
    {"every bit", 0xFFFFFFFFu, JobState::Completed},
};

TEST(Win32JobMonitor, StateFromJobStatusBits) {
    for (const StatusCase& c : kStatusCases) {
        EXPECT_EQ(JobStateFromWin32Status(c.status), c.state) << c.name;
    }
}

}  // namespace
}  // namespace tessaline
