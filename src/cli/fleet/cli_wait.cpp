#include "cli/fleet/cli_wait.h"

#include "cli/cli_report.h"

namespace tessaline {

std::string WaitOutcomeText(const FollowedJob& job, std::uint32_t seconds) {
    const std::string lead = job.printer + ": job " + std::to_string(job.jobId);
    switch (job.state) {
        case JobState::Completed:
            return lead + " completed";
        case JobState::Aborted:
            return lead + " was aborted by the spooler or the printer";
        case JobState::Cancelled:
            return lead + " was cancelled";
        case JobState::Stopped:
            return lead + " was stopped by its queue";
        case JobState::Unknown:
            return job.printer + ": the spooler cannot tell what became of job " +
                   std::to_string(job.jobId) +
                   "; it was handed over whole, but whether it printed is not known";
        case JobState::Pending:
        case JobState::Printing:
            break;
    }
    return lead + " did not finish within " + std::to_string(seconds) + " seconds (still " +
           (job.state == JobState::Printing ? "printing" : "pending") + ")";
}

}  // namespace tessaline
