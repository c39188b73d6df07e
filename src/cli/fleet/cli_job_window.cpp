#include "cli/fleet/cli_job_window.h"

#include <algorithm>
#include <set>

#include "cli/cli_exit.h"
#include "cli/cli_report.h"

namespace tessaline {
namespace {

class JobWindow {
  public:
    JobWindow(WindowItems& items, const WindowLimits& limits, JobMonitor& monitor, CliClock& clock,
              const StopSignal* stop, Submissions& submissions)
        : m_items(items),
          m_limits(limits),
          m_monitor(monitor),
          m_clock(clock),
          m_stop(stop),
          m_submissions(submissions),
          m_startedAt(items.Count(), 0) {
        m_run.outcomes.resize(items.Count());
        m_counts.total = items.Count();
    }

    WindowRun Run() {
        for (;;) {
            TakeSubmitted();
            if (Stopped()) {
                m_run.interrupted = true;
                break;
            }
            if (MayStartMore() && m_flying.size() + m_submissions.Running() < m_limits.parallel) {
                StartNext();
                continue;
            }
            const bool checked = !m_checking.empty() && CheckAfterJobs();
            // Without --wait, following only paces the submissions: once the last is in, the
            // run is over.
            if (m_submissions.Running() == 0 && m_checking.empty() &&
                (m_flying.empty() || (!m_limits.waitSeconds && !MayStartMore()))) {
                break;
            }
            if ((m_flying.empty() || !AskFlying()) && !checked) {
                m_clock.SleepMilliseconds(WindowPollMilliseconds(OldestAge()));
            }
        }
        // After Ctrl-C, a document being sent ends at its next piece: its job is cancelled.
        while (m_submissions.Running() != 0) {
            m_clock.SleepMilliseconds(WindowPollMilliseconds(0));
            TakeSubmitted();
        }
        m_flying.insert(m_flying.end(), m_checking.begin(), m_checking.end());
        m_checking.clear();
        while (!m_flying.empty()) {
            const std::size_t i = m_flying.front();
            m_flying.erase(m_flying.begin());
            End(i, FollowedCode(m_run.outcomes[i]));
        }
        for (std::size_t i = m_next; i < m_items.Count(); ++i) {
            End(i, kExitNotStarted);
        }
        std::vector<int> codes;
        for (const WindowOutcome& outcome : m_run.outcomes) {
            codes.push_back(outcome.exitCode);
        }
        m_run.exitCode = RunExitCode(codes, m_run.interrupted);
        return std::move(m_run);
    }

  private:
    std::uint64_t OldestAge() const {
        std::uint64_t oldest = 0;
        const std::uint64_t now = m_clock.NowMilliseconds();
        for (const std::size_t i : m_flying) {
            oldest = std::max(oldest, now - m_startedAt[i]);
        }
        for (const std::size_t i : m_checking) {
            oldest = std::max(oldest, now - m_startedAt[i]);
        }
        return oldest;
    }

    int FollowedCode(const WindowOutcome& outcome) const {
        return FollowedExitCode(
            m_limits.waitSeconds.has_value(),
            outcome.followed ? std::optional<JobState>(outcome.status.state) : std::nullopt);
    }

    bool Stopped() const { return m_stop != nullptr && m_stop->StopRequested(); }

    bool MayStartMore() const {
        return m_next < m_items.Count() &&
               (!m_limits.maxFailures || m_failedGroups.size() < *m_limits.maxFailures);
    }

    void StartNext() {
        const std::size_t i = m_next++;
        m_run.outcomes[i].started = true;
        m_startedAt[i] = m_clock.NowMilliseconds();
        m_submissions.Start(i, [this, i] { return m_items.Submit(i); });
        Tell();
    }

    void TakeSubmitted() {
        for (auto& [i, submitted] : m_submissions.TakeEnded()) {
            WindowOutcome& outcome = m_run.outcomes[i];
            outcome.submitted = std::move(submitted);
            if (outcome.submitted.exitCode != kExitOk) {
                outcome.interrupted = Stopped();
                // A printer that restarts to apply the file may go before it answers the
                // document's end: the check after the job, where there is one, decides.
                if (!outcome.interrupted && outcome.submitted.answerLost &&
                    m_items.BeginAfterJob(i, m_clock.NowMilliseconds())) {
                    m_checking.push_back(i);
                    Tell();
                } else {
                    End(i, outcome.submitted.exitCode);
                }
            } else if (outcome.submitted.result.jobId == 0) {
                // Nothing to follow it by: it never counts as printed.
                End(i, FollowedCode(outcome));
            } else {
                m_flying.push_back(i);
                Tell();
            }
        }
    }

    // True when a job ended, so the window may take the next at once.
    bool AskFlying() {
        bool ended = false;
        for (std::size_t k = 0; k < m_flying.size();) {
            const std::size_t i = m_flying[k];
            WindowOutcome& outcome = m_run.outcomes[i];
            outcome.status = m_monitor.Status(m_items.Printer(i), outcome.submitted.result.jobId);
            outcome.followed = true;
            const bool timeUp =
                m_limits.waitSeconds &&
                m_clock.NowMilliseconds() - m_startedAt[i] >= *m_limits.waitSeconds * 1000ull;
            if (IsFinalJobState(outcome.status.state) || timeUp) {
                m_flying.erase(m_flying.begin() + static_cast<std::ptrdiff_t>(k));
                const int code = FollowedCode(outcome);
                // A printer that restarts to apply what it took is gone before its job's end
                // can be seen: the check after the job, where there is one, decides.
                const bool lost = outcome.status.state == JobState::Unknown;
                if ((code == kExitOk || lost) &&
                    m_items.BeginAfterJob(i, m_clock.NowMilliseconds())) {
                    m_checking.push_back(i);
                    Tell();
                } else {
                    End(i, code);
                }
                ended = true;
            } else {
                ++k;
            }
        }
        return ended;
    }

    // True when a check ended.
    bool CheckAfterJobs() {
        const auto ended = m_items.CheckAfterJob(m_clock.NowMilliseconds());
        for (const auto& [i, code] : ended) {
            m_checking.erase(std::find(m_checking.begin(), m_checking.end(), i));
            End(i, code);
        }
        return !ended.empty();
    }

    void End(std::size_t i, int exitCode) {
        WindowOutcome& outcome = m_run.outcomes[i];
        outcome.exitCode = exitCode;
        if (outcome.started) {
            outcome.milliseconds = m_clock.NowMilliseconds() - m_startedAt[i];
        }
        if (exitCode != kExitOk && outcome.started) {
            m_failedGroups.insert(m_items.FailureGroup(i));
            ++m_counts.failed;
        }
        ++m_counts.done;
        m_items.OnEnded(i, outcome);
        Tell();
    }

    void Tell() {
        m_counts.inFlight = m_flying.size() + m_submissions.Running();
        m_counts.checking = m_checking.size();
        m_items.OnCounts(m_counts);
    }

    WindowItems& m_items;
    const WindowLimits& m_limits;
    JobMonitor& m_monitor;
    CliClock& m_clock;
    const StopSignal* m_stop;
    Submissions& m_submissions;
    WindowRun m_run;
    WindowCounts m_counts;
    std::vector<std::uint64_t> m_startedAt;
    std::vector<std::size_t> m_flying;
    std::vector<std::size_t> m_checking;  // completed, asked again, in no slot
    std::set<std::size_t> m_failedGroups;
    std::size_t m_next = 0;
};

}  // namespace

std::uint32_t WindowPollMilliseconds(std::uint64_t oldestInFlightMilliseconds) {
    constexpr std::uint64_t kFastest = 20;
    constexpr std::uint64_t kSlowest = 500;
    return static_cast<std::uint32_t>(
        std::clamp(oldestInFlightMilliseconds / 4, kFastest, kSlowest));
}

WindowRun RunJobWindow(WindowItems& items, const WindowLimits& limits, JobMonitor& monitor,
                       CliClock& clock, const StopSignal* stop, Submissions& submissions) {
    return JobWindow(items, limits, monitor, clock, stop, submissions).Run();
}

WindowRun RunJobWindow(WindowItems& items, const WindowLimits& limits, JobMonitor& monitor,
                       CliClock& clock, const StopSignal* stop) {
    InlineSubmissions inline_;
    return RunJobWindow(items, limits, monitor, clock, stop, inline_);
}

WindowRun RunJobWindow(WindowItems& items, const WindowLimits& limits, JobMonitor& monitor,
                       CliClock& clock, const StopSignal* stop, ThreadSetup* threads) {
    if (!SendsSideBySide(limits, items.Count(), threads)) {
        return RunJobWindow(items, limits, monitor, clock, stop);
    }
    ThreadedSubmissions threaded(*threads);
    return RunJobWindow(items, limits, monitor, clock, stop, threaded);
}

bool SendsSideBySide(const WindowLimits& limits, std::size_t items, const ThreadSetup* threads) {
    return threads != nullptr && items > 1 && limits.parallel > 1;
}

}  // namespace tessaline
