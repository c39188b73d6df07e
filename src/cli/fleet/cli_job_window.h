#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "cli/cli_platform.h"
#include "cli/fleet/cli_submissions.h"
#include "jobs/raw_job.h"
#include "platform/job_monitor.h"

namespace tessaline {

// How long the window waits before it asks the jobs in flight again, given how long the oldest
// has been in flight: a quarter of that, from 20 ms to 500 ms. A job of a tenth of a second
// frees its slot within a few hundredths; a job of minutes costs two asks a second, each one
// small request per job in flight.
std::uint32_t WindowPollMilliseconds(std::uint64_t oldestInFlightMilliseconds);

inline constexpr std::uint32_t kDefaultParallelJobs = 4;
inline constexpr std::uint32_t kMostParallelJobs = 64;

struct WindowLimits {
    std::uint32_t parallel = kDefaultParallelJobs;  // jobs in flight at most
    std::optional<std::uint32_t> maxFailures;       // no new job once this many groups failed
    std::optional<std::uint32_t> waitSeconds;       // --wait: each job's time from its submission
};

// How one item ended.
struct WindowOutcome {
    bool started = false;      // false: not started (--max-failures or Ctrl-C came first)
    bool interrupted = false;  // Ctrl-C came while it was being submitted
    Submitted submitted;
    bool followed = false;  // its state was asked at least once
    JobStatus status;
    int exitCode = 0;
    std::uint64_t milliseconds = 0;  // from its submission to its end
};

struct WindowCounts {
    std::size_t total = 0;
    std::size_t done = 0;
    std::size_t failed = 0;
    std::size_t inFlight = 0;
    std::size_t checking = 0;  // jobs completed, their printers asked again: in no slot
};

// The side of the run that knows what an item is.
class WindowItems {
  public:
    virtual ~WindowItems() = default;
    virtual std::size_t Count() const = 0;
    // Submits item i; called once per item, in order, on the thread the submissions give it:
    // with ThreadedSubmissions several run at once.
    virtual Submitted Submit(std::size_t i) = 0;
    // Where item i's job is followed.
    virtual const std::string& Printer(std::size_t i) const = 0;
    // Items of one group count as one failure (the forms of one printer); by default each
    // item is its own group.
    virtual std::size_t FailureGroup(std::size_t i) const { return i; }
    // Told once per item as it ends, in the order they end; items not started come last.
    virtual void OnEnded(std::size_t i, const WindowOutcome& outcome) = 0;
    // Told after every change of the counts.
    virtual void OnCounts(const WindowCounts& /*counts*/) {}
    // Item i's job ended completed at nowMs: true when the item is to be checked further (its
    // printer asked again). It then leaves its slot and ends when CheckAfterJob says so.
    virtual bool BeginAfterJob(std::size_t /*i*/, std::uint64_t /*nowMs*/) { return false; }
    // Called as the window goes round while items are being checked: does the checks due at
    // nowMs and gives the items that ended, with their codes.
    virtual std::vector<std::pair<std::size_t, int>> CheckAfterJob(std::uint64_t /*nowMs*/) {
        return {};
    }
};

struct WindowRun {
    std::vector<WindowOutcome> outcomes;  // in the items' order
    bool interrupted = false;             // Ctrl-C ended the run
    int exitCode = 0;                     // the run's, from cli/cli_exit.h
};

// Submits the items one at a time, at most limits.parallel in flight: a job is in flight from
// its submission until the monitor reports it final (Unknown included: it can no longer be
// seen) or, with --wait, until its time is up. The next item starts as soon as one ends.
// Without --wait the run ends once the last item has been submitted; with it, once every job
// has ended, and every item checked after its job has ended. A job being submitted counts as
// in flight. stop may be null.
//
// Once stop says so (Ctrl-C), no further item starts. A document still being sent ends at its
// next piece, as the spooler sees the same stop and cancels its job: its outcome is marked
// interrupted. Jobs already handed over are left to print and no longer followed. The items
// not started end as such, none of them counted as failed, and the run's code is
// kExitInterrupted. Items being checked after their jobs end as their followed jobs did.
WindowRun RunJobWindow(WindowItems& items, const WindowLimits& limits, JobMonitor& monitor,
                       CliClock& clock, const StopSignal* stop, Submissions& submissions);
// The same with every submission on the caller's thread, one at a time.
WindowRun RunJobWindow(WindowItems& items, const WindowLimits& limits, JobMonitor& monitor,
                       CliClock& clock, const StopSignal* stop);
// The same with the submissions side by side, each on a thread of its own, where threads allow
// it and there is more than one to send at a time; else one at a time.
WindowRun RunJobWindow(WindowItems& items, const WindowLimits& limits, JobMonitor& monitor,
                       CliClock& clock, const StopSignal* stop, ThreadSetup* threads);
bool SendsSideBySide(const WindowLimits& limits, std::size_t items, const ThreadSetup* threads);

}  // namespace tessaline
