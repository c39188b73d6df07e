#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "cli/cli_exit.h"
#include "jobs/raw_job.h"
#include "platform/job_monitor.h"

namespace tessaline {

// What one job (one printer of an upgrade, or one form) ended as.
struct JobReport {
    std::string printer;
    std::optional<std::int32_t> form;  // forms only
    std::string stage;  // a RawJobStage name, "FileError", "NotConfirmed" or "NotStarted"
    std::optional<std::uint32_t> size;
    std::uint32_t written = 0;
    const char* datatype = nullptr;
    std::uint32_t jobId = 0;
    bool sha256Given = false;           // --sha256 was given: the object carries "sha256"
    std::optional<std::string> sha256;  // the file's, once it was read
    std::optional<JobStatus> status;    // as last seen; null for a job that was not followed
    std::string message;                // the printer's or spooler's words; null when empty
    std::optional<std::uint64_t> milliseconds;  // from submission to end; null if not started
    // With --expect-version: the object carries the component and the versions (null where
    // not asked); without it, it carries none of them.
    bool versionChecked = false;
    std::optional<std::string> component;
    std::optional<std::string> versionBefore;
    std::optional<std::string> versionAfter;
};

// The stage as --json names it.
const char* StageName(RawJobStage stage);
const char* JobStateName(JobState state);
// Final states end a --wait; Unknown ends it too, since asking again cannot change it.
bool IsFinalJobState(JobState state);

// One JSON object on one line, keys in a fixed order; absent values are null.
std::string JobReportJson(const JobReport& report);

// "NotStarted": a printer the run stopped before (--max-failures or Ctrl-C).
inline constexpr char kNotStartedStage[] = "NotStarted";

// Seconds with three decimals: 1234 gives "1.234".
std::string SecondsText(std::uint64_t milliseconds);

// A few words for an incomplete job's stage, for forms and summaries.
std::string StageWords(const RawJobResult& result, std::uint32_t length);

}  // namespace tessaline
