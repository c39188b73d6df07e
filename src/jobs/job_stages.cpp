#include "jobs/job_stages.h"

#include <iterator>

namespace tessaline {
namespace {

// The rows stand in the enum's order, so a stage's row is found by its number; a row added or
// moved out of order stops the build here.
constexpr bool RowsInStageOrder() {
    for (std::size_t i = 0; i < std::size(kJobStages); ++i) {
        if (static_cast<std::size_t>(kJobStages[i].stage) != i) {
            return false;
        }
    }
    return static_cast<std::size_t>(RawJobStage::Completed) + 1 == std::size(kJobStages);
}
static_assert(RowsInStageOrder(), "kJobStages must hold one row per RawJobStage, in order");

}  // namespace

const JobStageRow& JobStage(RawJobStage stage) {
    return kJobStages[static_cast<std::size_t>(stage)];
}

}  // namespace tessaline
