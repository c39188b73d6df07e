#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "cli/cli_exit.h"
#include "jobs/raw_job.h"
#include "platform/job_monitor.h"

namespace tessaline {

// What one job (one printer of an upgrade, or one form) ended as.
struct JobReport {
    std::string printer;
    std::optional<std::int32_t> form;  // forms only
    std::string stage;                 // a RawJobStage name, "FileError" or "NotConfirmed"
    std::optional<std::uint32_t> size;
    std::uint32_t written = 0;
    const char* datatype = nullptr;
    std::uint32_t jobId = 0;
    bool sha256Given = false;           // --sha256 was given: the object carries "sha256"
    std::optional<std::string> sha256;  // the file's, once it was read
    bool waited = false;                // --wait was given: the object carries "state"
    std::optional<JobState> state;      // null for a job that was not followed
};

// The stage as --json names it.
const char* StageName(RawJobStage stage);
const char* JobStateName(JobState state);
// Final states end a --wait; Unknown ends it too, since asking again cannot change it.
bool IsFinalJobState(JobState state);

// A JSON string literal, with every control byte and non-ASCII byte escaped.
std::string JsonString(std::string_view text);
// One JSON object on one line, keys in a fixed order; absent values are null.
std::string JobReportJson(const JobReport& report);

// A few words for an incomplete job's stage, for forms and summaries.
std::string StageWords(const RawJobResult& result, std::uint32_t length);

}  // namespace tessaline
