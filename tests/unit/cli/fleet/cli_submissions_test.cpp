#include "cli/fleet/cli_submissions.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <stdexcept>

#include "cli/fleet/cli_job_window.h"
#include "fakes/cli_rig.h"

namespace tessaline {
namespace {

class CountingSetup : public ThreadSetup {
  public:
    std::atomic<int> prepared{0};
    void PrepareThisThread() override { ++prepared; }
};

std::vector<std::pair<std::size_t, Submitted>> TakeAll(Submissions& submissions,
                                                       std::size_t count) {
    std::vector<std::pair<std::size_t, Submitted>> taken;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (taken.size() < count && std::chrono::steady_clock::now() < deadline) {
        for (auto& one : submissions.TakeEnded()) {
            taken.push_back(std::move(one));
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return taken;
}

TEST(ThreadedSubmissions, EachRunsOnAPreparedThreadAndIsTakenOnce) {
    CountingSetup setup;
    ThreadedSubmissions submissions(setup);
    const std::thread::id window = std::this_thread::get_id();
    std::atomic<int> onWindowThread{0};
    for (std::size_t i = 0; i < 5; ++i) {
        submissions.Start(i, [i, window, &onWindowThread] {
            onWindowThread += std::this_thread::get_id() == window ? 1 : 0;
            Submitted s;
            s.exitCode = static_cast<int>(i);
            return s;
        });
    }
    const auto taken = TakeAll(submissions, 5);
    ASSERT_EQ(taken.size(), 5u);
    for (const auto& [item, submitted] : taken) {
        EXPECT_EQ(static_cast<int>(item), submitted.exitCode);
    }
    EXPECT_EQ(setup.prepared.load(), 5);
    EXPECT_EQ(onWindowThread.load(), 0);
    EXPECT_EQ(submissions.Running(), 0u);
    EXPECT_TRUE(submissions.TakeEnded().empty());
}

TEST(ThreadedSubmissions, AnExceptionComesOutOnTheWindowsThread) {
    CountingSetup setup;
    ThreadedSubmissions submissions(setup);
    submissions.Start(0, []() -> Submitted { throw std::bad_alloc(); });
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    bool thrown = false;
    while (!thrown && std::chrono::steady_clock::now() < deadline) {
        try {
            submissions.TakeEnded();
        } catch (const std::bad_alloc&) {
            thrown = true;
        }
    }
    EXPECT_TRUE(thrown);
}

// Items whose submissions hold until `together` of them run at once (or a second passes), so
// a run shows whether uploads really go side by side, and never more than the window allows.
class SideBySideItems : public WindowItems {
  public:
    SideBySideItems(std::size_t count, std::size_t together)
        : m_printers(count, "p"), m_together(together) {}
    std::size_t Count() const override { return m_printers.size(); }
    const std::string& Printer(std::size_t i) const override { return m_printers[i]; }
    Submitted Submit(std::size_t i) override {
        std::unique_lock<std::mutex> lock(m_mutex);
        most = std::max(most, ++m_running);
        m_changed.notify_all();
        m_changed.wait_for(lock, std::chrono::seconds(1),
                           [this] { return m_running >= m_together; });
        --m_running;
        Submitted s;
        s.result.stage = RawJobStage::Completed;
        s.result.jobId = static_cast<std::uint32_t>(i + 1);
        return s;
    }
    void OnEnded(std::size_t, const WindowOutcome& outcome) override {
        ended += outcome.exitCode == 0 ? 1 : 0;
    }
    std::size_t most = 0;
    std::size_t ended = 0;

  private:
    std::vector<std::string> m_printers;
    std::size_t m_together;
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::size_t m_running = 0;
};

TEST(ThreadedSubmissions, TheWindowSendsUpToItsLimitSideBySide) {
    SideBySideItems items(9, 3);
    FakeJobMonitor monitor;
    for (std::uint32_t id = 1; id <= 9; ++id) {
        monitor.scripts[{"p", id}] = {JobState::Completed};
    }
    FakeClock clock;
    CountingSetup setup;
    ThreadedSubmissions submissions(setup);
    WindowLimits limits;
    limits.parallel = 3;
    limits.waitSeconds = 60;
    const WindowRun run = RunJobWindow(items, limits, monitor, clock, nullptr, submissions);
    EXPECT_EQ(items.most, 3u);
    EXPECT_EQ(items.ended, 9u);
    EXPECT_FALSE(run.interrupted);
    EXPECT_EQ(setup.prepared.load(), 9);
}

}  // namespace
}  // namespace tessaline
