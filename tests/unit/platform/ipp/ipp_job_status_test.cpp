#include "platform/ipp/ipp_job_status.h"

#include <functional>
#include <utility>

#include <gtest/gtest.h>

namespace tessaline {
namespace {

TEST(IppJobStatus, StatesFromIpp) {
    const std::pair<int, JobState> cases[] = {
        {3, JobState::Pending},   {4, JobState::Pending},   {5, JobState::Printing},
        {6, JobState::Stopped},   {7, JobState::Cancelled}, {8, JobState::Aborted},
        {9, JobState::Completed}, {0, JobState::Unknown},   {10, JobState::Unknown},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(JobStateFromIpp(c.first), c.second) << c.first;
    }
}

// ---- A Get-Job-Attributes response, built as a printer would send it

void AddReasons(ipp_t* response, std::vector<const char*> reasons) {
    ippAddStrings(response, IPP_TAG_JOB, IPP_TAG_KEYWORD, "job-state-reasons",
                  static_cast<int>(reasons.size()), nullptr, reasons.data());
}

struct ResponseCase {
    const char* name;
    ipp_status_t status;
    std::function<void(ipp_t*)> fill;
    JobState state;
    std::vector<std::string> reasons;
    std::string message;
};

const ResponseCase kResponses[] = {
    {"Completed",
     IPP_STATUS_OK,
     [](ipp_t* r) {
         ippAddInteger(r, IPP_TAG_JOB, IPP_TAG_ENUM, "job-state", IPP_JSTATE_COMPLETED);
         AddReasons(r, {"job-completed-successfully"});
         ippAddString(r, IPP_TAG_JOB, IPP_TAG_TEXT, "job-state-message", nullptr, "Printed.");
     },
     JobState::Completed,
     {"job-completed-successfully"},
     "Printed."},
    {"NoneIsNoReason",
     IPP_STATUS_OK,
     [](ipp_t* r) {
         ippAddInteger(r, IPP_TAG_JOB, IPP_TAG_ENUM, "job-state", IPP_JSTATE_PROCESSING);
         AddReasons(r, {"none"});
     },
     JobState::Printing,
     {},
     ""},
    {"NoneAmongOthers",
     IPP_STATUS_OK,
     [](ipp_t* r) {
         ippAddInteger(r, IPP_TAG_JOB, IPP_TAG_ENUM, "job-state", IPP_JSTATE_STOPPED);
         AddReasons(r, {"media-empty", "none", "cover-open"});
     },
     JobState::Stopped,
     {"media-empty", "cover-open"},
     ""},
    {"NotSuccessful",
     IPP_STATUS_ERROR_NOT_FOUND,
     [](ipp_t* r) {
         ippAddInteger(r, IPP_TAG_JOB, IPP_TAG_ENUM, "job-state", IPP_JSTATE_COMPLETED);
     },
     JobState::Unknown,
     {},
     ""},
    {"NothingSaid", IPP_STATUS_OK, [](ipp_t*) {}, JobState::Unknown, {}, ""},
};

TEST(IppJobStatus, ReadsTheResponse) {
    for (const ResponseCase& c : kResponses) {
        SCOPED_TRACE(c.name);
        ipp_t* response = ippNew();
        ippSetStatusCode(response, c.status);
        c.fill(response);
        const JobStatus status = JobStatusOfResponse(response);
        ippDelete(response);
        EXPECT_EQ(status.state, c.state);
        EXPECT_EQ(status.reasons, c.reasons);
        EXPECT_EQ(status.message, c.message);
    }
    EXPECT_EQ(JobStatusOfResponse(nullptr).state, JobState::Unknown);
}

}  // namespace
}  // namespace tessaline
