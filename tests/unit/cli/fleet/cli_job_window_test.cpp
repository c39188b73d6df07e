#include "cli/fleet/cli_job_window.h"

#include <gtest/gtest.h>

#include <ostream>

#include <algorithm>
#include <functional>

#include "cli/cli_exit.h"
#include "cli/fleet/cli_fleet_output.h"
#include "fakes/cli_rig.h"

namespace tessaline {
namespace {

// Items whose submissions give scripted codes; job i gets id 100 + i on printer "p<i>".
class ScriptedItems : public WindowItems {
  public:
    explicit ScriptedItems(std::vector<int> codes) : m_codes(std::move(codes)) {
        for (std::size_t i = 0; i < m_codes.size(); ++i) {
            m_printers.push_back("p" + std::to_string(i));
        }
    }

    std::size_t Count() const override { return m_codes.size(); }
    const std::string& Printer(std::size_t i) const override { return m_printers[i]; }
    std::size_t FailureGroup(std::size_t i) const override { return i / group; }

    Submitted Submit(std::size_t i) override {
        log.push_back("submit " + std::to_string(i));
        Submitted s;
        s.exitCode = m_codes[i];
        s.result.stage = m_codes[i] == kExitOk ? RawJobStage::Completed : RawJobStage::WriteFailed;
        s.result.jobId = m_codes[i] == kExitOk ? static_cast<std::uint32_t>(100 + i) : 0;
        if (afterSubmit) {
            afterSubmit(i);
        }
        return s;
    }
    void OnEnded(std::size_t i, const WindowOutcome& outcome) override {
        log.push_back("end " + std::to_string(i) + " " + std::to_string(outcome.exitCode));
    }
    void OnCounts(const WindowCounts& counts) override {
        mostInFlight = std::max(mostInFlight, counts.inFlight);
        countsAddUp = countsAddUp && counts.done + counts.inFlight <= counts.total;
        last = counts;
        lines.push_back(CountsText(counts));
    }

    std::size_t group = 1;
    std::function<void(std::size_t)> afterSubmit;
    std::vector<std::string> log;
    std::size_t mostInFlight = 0;
    bool countsAddUp = true;
    WindowCounts last;
    std::vector<std::string> lines;  // the terminal's progress line after each change

  private:
    std::vector<int> m_codes;
    std::vector<std::string> m_printers;
};

class FakeStop : public StopSignal {
  public:
    bool stop = false;
    bool StopRequested() const override { return stop; }
};

struct WindowTest : ::testing::Test {
    FakeJobMonitor monitor;
    FakeClock clock;
    // Job i answers `printing` times Printing, then `last`.
    void Script(std::size_t i, int printing, JobState last = JobState::Completed) {
        auto& script = monitor.scripts[{"p" + std::to_string(i), 100 + i}];
        script.assign(static_cast<std::size_t>(printing), JobState::Printing);
        script.push_back(last);
    }
};

TEST_F(WindowTest, NextStartsAsOneEndsNeverMoreThanTheLimit) {
    ScriptedItems items({0, 0, 0, 0});
    Script(0, 0);
    Script(1, 3);
    Script(2, 0);
    Script(3, 0);
    WindowLimits limits;
    limits.parallel = 2;
    limits.waitSeconds = 60;
    const WindowRun run = RunJobWindow(items, limits, monitor, clock, nullptr);
    // Job 0 ends at the first ask and 2 takes its place while 1 still prints: a sliding window.
    const std::vector<std::string> want = {"submit 0", "submit 1", "end 0 0", "submit 2",
                                           "end 2 0",  "submit 3", "end 3 0", "end 1 0"};
    EXPECT_EQ(want, items.log);
    EXPECT_EQ(2u, items.mostInFlight);
    EXPECT_FALSE(run.interrupted);
    EXPECT_EQ(4u, items.last.done);
    EXPECT_EQ(0u, items.last.inFlight);
}

TEST_F(WindowTest, WithoutWaitTheRunEndsOnceTheLastIsSubmitted) {
    ScriptedItems items({0, 0, 0});
    for (std::size_t i = 0; i < 3; ++i) {
        Script(i, 1000);
    }
    WindowLimits limits;
    limits.parallel = 3;
    const WindowRun run = RunJobWindow(items, limits, monitor, clock, nullptr);
    const std::vector<std::string> want = {"submit 0", "submit 1", "submit 2",
                                           "end 0 0",  "end 1 0",  "end 2 0"};
    EXPECT_EQ(want, items.log);
    EXPECT_TRUE(monitor.calls.empty());
    EXPECT_TRUE(clock.sleeps.empty());
    // The counts never tell of more done and in flight than there are jobs.
    EXPECT_EQ(3u, items.last.done);
    EXPECT_EQ(0u, items.last.inFlight);
    EXPECT_TRUE(items.countsAddUp);
    EXPECT_EQ(kExitOk, run.outcomes[2].exitCode);
}

TEST_F(WindowTest, WaitGivesEachJobItsTimeFromItsOwnSubmission) {
    ScriptedItems items({0, 0, 0});
    Script(0, 100000);  // never ends
    Script(1, 0, JobState::Aborted);
    Script(2, 2);
    WindowLimits limits;
    limits.parallel = 3;
    limits.waitSeconds = 1;
    const WindowRun run = RunJobWindow(items, limits, monitor, clock, nullptr);
    EXPECT_EQ(kExitWaitFailed, run.outcomes[0].exitCode);
    EXPECT_EQ(JobState::Printing, run.outcomes[0].status.state);
    EXPECT_GE(run.outcomes[0].milliseconds, 1000u);
    EXPECT_EQ(kExitWaitFailed, run.outcomes[1].exitCode);
    EXPECT_EQ(kExitOk, run.outcomes[2].exitCode);
    EXPECT_EQ(WindowPollMilliseconds(0), run.outcomes[2].milliseconds);
}

TEST_F(WindowTest, AJobWithoutAnIdNeverCountsAsPrinted) {
    WindowLimits limits;
    limits.waitSeconds = 10;
    struct NoId : ScriptedItems {
        NoId() : ScriptedItems({0}) {}
        Submitted Submit(std::size_t i) override {
            Submitted s = ScriptedItems::Submit(i);
            s.result.jobId = 0;
            return s;
        }
    } items;
    const WindowRun run = RunJobWindow(items, limits, monitor, clock, nullptr);
    EXPECT_EQ(kExitWaitFailed, run.outcomes[0].exitCode);
    EXPECT_TRUE(monitor.calls.empty());
}

TEST(WindowPoll, AQuarterOfTheOldestJobsAgeFrom20To500Milliseconds) {
    const std::pair<std::uint64_t, std::uint32_t> cases[] = {
        {0, 20}, {79, 20}, {80, 20}, {84, 21}, {1000, 250}, {2000, 500}, {3600000, 500}};
    for (const auto& [age, wait] : cases) {
        EXPECT_EQ(WindowPollMilliseconds(age), wait) << age;
    }
}

TEST_F(WindowTest, AsksQuicklyWhileJobsAreYoungAndSlowerAsTheyAge) {
    ScriptedItems items({0});
    Script(0, 100000);
    WindowLimits limits;
    limits.waitSeconds = 3;
    RunJobWindow(items, limits, monitor, clock, nullptr);
    ASSERT_GE(clock.sleeps.size(), 3u);
    EXPECT_EQ(clock.sleeps.front(), 20u);
    EXPECT_EQ(clock.sleeps.back(), 500u);
    EXPECT_TRUE(std::is_sorted(clock.sleeps.begin(), clock.sleeps.end()));
}

struct MaxFailuresCase {
    const char* name;
    std::vector<int> codes;
    std::size_t group;
    std::uint32_t maxFailures;
    std::vector<std::string> log;
};

// Named by its case, not dumped byte by byte (padding would read as uninitialised).
void PrintTo(const MaxFailuresCase& c, std::ostream* out) {
    *out << c.name;
}

class MaxFailuresTest : public WindowTest, public ::testing::WithParamInterface<MaxFailuresCase> {};

TEST_P(MaxFailuresTest, NoNewJobOnceThatManyFailed) {
    const MaxFailuresCase& c = GetParam();
    ScriptedItems items(c.codes);
    items.group = c.group;
    for (std::size_t i = 0; i < c.codes.size(); ++i) {
        Script(i, 0);
    }
    WindowLimits limits;
    limits.parallel = 1;
    limits.maxFailures = c.maxFailures;
    RunJobWindow(items, limits, monitor, clock, nullptr);
    EXPECT_EQ(c.log, items.log);
}

const MaxFailuresCase kMaxFailuresCases[] = {
    {"SecondFailureStops",
     {5, 0, 4, 0, 0},
     1,
     2,
     {"submit 0", "end 0 5", "submit 1", "end 1 0", "submit 2", "end 2 4", "end 3 9", "end 4 9"}},
    {"NeverReached",
     {0, 5, 0},
     1,
     2,
     {"submit 0", "end 0 0", "submit 1", "end 1 5", "submit 2", "end 2 0"}},
    // Forms: two failed jobs of one printer are one failed printer.
    {"OneGroupIsOneFailure",
     {5, 5, 0, 6, 0, 0},
     2,
     2,
     {"submit 0", "end 0 5", "submit 1", "end 1 5", "submit 2", "end 2 0", "submit 3", "end 3 6",
      "end 4 9", "end 5 9"}},
};

INSTANTIATE_TEST_SUITE_P(Window, MaxFailuresTest, ::testing::ValuesIn(kMaxFailuresCases),
                         [](const auto& param) { return std::string(param.param.name); });

TEST_F(WindowTest, StopEndsTheRunAndLeavesHandedOverJobsBe) {
    ScriptedItems items({0, 5, 0, 0});
    Script(0, 1000);
    FakeStop stop;
    // Ctrl-C while job 1 is being sent: its write fails and it counts as interrupted.
    items.afterSubmit = [&](std::size_t i) { stop.stop = i == 1; };
    WindowLimits limits;
    limits.parallel = 4;
    limits.waitSeconds = 60;
    const WindowRun run = RunJobWindow(items, limits, monitor, clock, &stop);
    const std::vector<std::string> want = {"submit 0", "submit 1", "end 1 5",
                                           "end 0 7",  "end 2 9",  "end 3 9"};
    EXPECT_EQ(want, items.log);
    EXPECT_TRUE(run.interrupted);
    EXPECT_TRUE(run.outcomes[1].interrupted);
    EXPECT_FALSE(run.outcomes[0].interrupted);
    EXPECT_FALSE(run.outcomes[2].started);
}

// ---- The terminal line's counts

// Submissions that all stay running until the window has slept once, as side-by-side uploads
// do while the window waits for them.
class HeldSubmissions final : public Submissions {
  public:
    explicit HeldSubmissions(const FakeClock& clock) : m_clock(clock) {}
    void Start(std::size_t item, Submit submit) override {
        m_held.emplace_back(item, std::move(submit));
    }
    std::vector<std::pair<std::size_t, Submitted>> TakeEnded() override {
        std::vector<std::pair<std::size_t, Submitted>> ended;
        if (!m_clock.sleeps.empty()) {
            for (auto& [item, submit] : m_held) {
                ended.emplace_back(item, submit());
            }
            m_held.clear();
        }
        return ended;
    }
    std::size_t Running() const override { return m_held.size(); }

  private:
    const FakeClock& m_clock;
    std::vector<std::pair<std::size_t, Submit>> m_held;
};

TEST_F(WindowTest, UploadsStillGoingOutCountAsInFlight) {
    ScriptedItems items({0, 0, 0});
    WindowLimits limits;
    limits.parallel = 3;
    HeldSubmissions submissions(clock);
    RunJobWindow(items, limits, monitor, clock, nullptr, submissions);
    // The three uploads are started before any of them has ended.
    const std::vector<std::string> want = {"0/3 done, 0 failed, 1 in flight",
                                           "0/3 done, 0 failed, 2 in flight",
                                           "0/3 done, 0 failed, 3 in flight"};
    ASSERT_GE(items.lines.size(), want.size());
    EXPECT_EQ(want, std::vector<std::string>(items.lines.begin(), items.lines.begin() + 3));
    EXPECT_EQ("3/3 done, 0 failed, 0 in flight", items.lines.back());
}

struct FailedCountCase {
    const char* name;
    std::vector<int> codes;
    std::optional<std::uint32_t> maxFailures;
    std::size_t stopAfter;  // Ctrl-C once this item is submitted; SIZE_MAX: never
    const char* lastLine;
};

void PrintTo(const FailedCountCase& c, std::ostream* out) {
    *out << c.name;
}

class FailedCountTest : public WindowTest, public ::testing::WithParamInterface<FailedCountCase> {};

// Printers the run stopped before are done, but they did not fail.
TEST_P(FailedCountTest, ItemsNotStartedAreNotCountedAsFailed) {
    const FailedCountCase& c = GetParam();
    ScriptedItems items(c.codes);
    FakeStop stop;
    items.afterSubmit = [&](std::size_t i) { stop.stop = stop.stop || i == c.stopAfter; };
    WindowLimits limits;
    limits.parallel = 1;
    limits.maxFailures = c.maxFailures;
    RunJobWindow(items, limits, monitor, clock, &stop);
    ASSERT_FALSE(items.lines.empty());
    EXPECT_EQ(c.lastLine, items.lines.back());
}

const FailedCountCase kFailedCountCases[] = {
    {"MaxFailures", {5, 4, 0, 0, 0, 0, 0, 0, 0}, 2, SIZE_MAX, "9/9 done, 2 failed, 0 in flight"},
    {"CtrlC", {5, 4, 0, 0, 0, 0, 0, 0, 0}, std::nullopt, 1, "9/9 done, 2 failed, 0 in flight"},
};

INSTANTIATE_TEST_SUITE_P(Window, FailedCountTest, ::testing::ValuesIn(kFailedCountCases),
                         [](const auto& param) { return std::string(param.param.name); });

}  // namespace
}  // namespace tessaline
