#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "cli/verify/verification.h"
#include "cli/verify/version_check.h"
#include "jobs/raw_job.h"
#include "platform/job_monitor.h"

namespace tessaline {

// The exit codes, stable and documented in --help (from kExitCodeMeanings), the README and the
// manual page. Every outcome's code is decided here: the commands, the fleet and the window of
// jobs in flight ask, and none picks a number itself.
enum ExitCode : int {
    kExitOk = 0,
    kExitUsage = 1,
    kExitNotConfirmed = 2,
    kExitFileError = 3,
    kExitPrinterNotOpened = 4,
    kExitStageRefused = 5,
    kExitPartialWrite = 6,
    kExitWaitFailed = 7,
    kExitSettingsNotStored = 8,
    kExitNotStarted = 9,
    kExitNotVerified = 10,
    kExitNotVerifiable = 11,
    // As a shell reports a program ended by SIGINT: 128 + 2.
    kExitInterrupted = 130,
};

struct ExitCodeMeaning {
    ExitCode code;
    const char* meaning;
};

inline constexpr ExitCodeMeaning kExitCodeMeanings[] = {
    {kExitOk, "every job complete (and printed, with --wait)"},
    {kExitUsage, "usage"},
    {kExitNotConfirmed, "not confirmed"},
    {kExitFileError, "file error"},
    {kExitPrinterNotOpened, "printer not opened"},
    {kExitStageRefused, "the spooler refused a stage"},
    {kExitPartialWrite, "partial write"},
    {kExitWaitFailed,
     "with --wait, the job failed, could not be followed or did not finish in time"},
    {kExitSettingsNotStored, "the settings could not be stored"},
    {kExitNotStarted, "a printer was not started: --max-failures was reached"},
    {kExitNotVerified, "the printer does not report the expected version after the upgrade"},
    {kExitNotVerifiable,
     "with --expect-version, the printer's version could not be asked: it was not sent the file"},
    {kExitInterrupted, "interrupted (Ctrl-C): jobs not handed over were cancelled"},
};

// The stage's code for a job of length bytes: 0 only when it reached the spooler whole.
int JobExitCode(const RawJobResult& result, std::uint32_t length);
// 0 only for Completed; 7 for every other state, Unknown included: it never counts as printed.
int WaitExitCode(JobState state);
// A job handed over whole, once the run stops following it: without --wait it is done; with
// it, as its last seen state says, and a job never seen failed.
int FollowedExitCode(bool waited, std::optional<JobState> lastSeen);
// A printer asked what it runs: 0 when it answered, else as a printer not opened.
int AskExitCode(bool answered);
// With --expect-version: what the check before the upgrade and the asks after it give.
int VersionCheckExitCode(BeforeUpgrade verdict);
int VerifyExitCode(VerifyOutcome outcome);
// Several printers or forms give the run one code: the highest wins, and Ctrl-C wins over all.
int RunExitCode(const std::vector<int>& itemCodes, bool interrupted);

}  // namespace tessaline
