#include "cli/cli_exit.h"

#include <algorithm>

#include "jobs/job_stages.h"

namespace tessaline {
namespace {

// The stage table holds the codes as plain numbers (the jobs know no command line); they must
// be the ones documented here.
constexpr bool StageCodesDocumented() {
    for (const JobStageRow& row : kJobStages) {
        const int expected = row.stage == RawJobStage::Completed    ? kExitOk
                             : row.stage == RawJobStage::OpenFailed ? kExitPrinterNotOpened
                                                                    : kExitStageRefused;
        if (row.exitCode != expected) {
            return false;
        }
    }
    return true;
}
static_assert(StageCodesDocumented(), "a stage's exit code differs from the documented one");

}  // namespace

int JobExitCode(const RawJobResult& result, std::uint32_t length) {
    if (result.stage == RawJobStage::Completed && result.written != length) {
        return kExitPartialWrite;
    }
    return JobStage(result.stage).exitCode;
}

int WaitExitCode(JobState state) {
    return state == JobState::Completed ? kExitOk : kExitWaitFailed;
}

int CombinedExitCode(int soFar, int next) {
    return std::max(soFar, next);
}

}  // namespace tessaline
