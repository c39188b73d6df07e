#include "cli/cli_exit.h"

#include <algorithm>
#include <iterator>

namespace tessaline {
namespace {

struct StageExit {
    RawJobStage stage;
    ExitCode code;
};

// A job that ended at a stage; a Completed one short of its length is a partial write instead.
constexpr StageExit kStageExits[] = {
    {RawJobStage::OpenFailed, kExitPrinterNotOpened},
    {RawJobStage::StartDocFailed, kExitStageRefused},
    {RawJobStage::StartPageFailed, kExitStageRefused},
    {RawJobStage::WriteFailed, kExitStageRefused},
    {RawJobStage::EndPageFailed, kExitStageRefused},
    {RawJobStage::EndDocFailed, kExitStageRefused},
    {RawJobStage::Completed, kExitOk},
};

constexpr bool OneRowPerStageInOrder() {
    for (std::size_t i = 0; i < std::size(kStageExits); ++i) {
        if (static_cast<std::size_t>(kStageExits[i].stage) != i) {
            return false;
        }
    }
    return static_cast<std::size_t>(RawJobStage::Completed) + 1 == std::size(kStageExits);
}
static_assert(OneRowPerStageInOrder(), "kStageExits must hold one row per RawJobStage, in order");

}  // namespace

int JobExitCode(const RawJobResult& result, std::uint32_t length) {
    if (result.stage == RawJobStage::Completed && result.written != length) {
        return kExitPartialWrite;
    }
    return kStageExits[static_cast<std::size_t>(result.stage)].code;
}

int WaitExitCode(JobState state) {
    return state == JobState::Completed ? kExitOk : kExitWaitFailed;
}

int FollowedExitCode(bool waited, std::optional<JobState> lastSeen) {
    if (!waited) {
        return kExitOk;
    }
    return lastSeen ? WaitExitCode(*lastSeen) : kExitWaitFailed;
}

int AskExitCode(bool answered) {
    return answered ? kExitOk : kExitPrinterNotOpened;
}

int VersionCheckExitCode(BeforeUpgrade verdict) {
    return verdict == BeforeUpgrade::NotVerifiable ? kExitNotVerifiable : kExitOk;
}

int VerifyExitCode(VerifyOutcome outcome) {
    return outcome == VerifyOutcome::Verified ? kExitOk : kExitNotVerified;
}

int RunExitCode(const std::vector<int>& itemCodes, bool interrupted) {
    if (interrupted) {
        return kExitInterrupted;
    }
    return itemCodes.empty() ? kExitOk : *std::max_element(itemCodes.begin(), itemCodes.end());
}

}  // namespace tessaline
