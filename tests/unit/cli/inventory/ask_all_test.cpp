#include "cli/inventory/ask_all.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <stdexcept>
#include <thread>

#include "fakes/fake_printer_facts.h"

namespace tessaline {
namespace {

class PreparedThreads : public ThreadSetup {
  public:
    std::atomic<int> prepared{0};
    void PrepareThisThread() override { ++prepared; }
};

struct LimitCase {
    const char* name;
    std::uint32_t parallel;
    bool threads;
    int mostAtOnce;  // at most this many asks under way together
};

// Each ask lingers, so that asks side by side overlap and the limit shows.
TEST(AskAll, AsksEveryPrinterOnceWithinTheLimit) {
    const LimitCase cases[] = {
        {"OneAtATimeWithoutThreads", 4, false, 1},
        {"OneAtATimeWithParallelOne", 1, true, 1},
        {"SideBySide", 3, true, 3},
    };
    for (const LimitCase& c : cases) {
        FakePrinterFacts facts;
        std::atomic<int> now{0};
        std::atomic<int> most{0};
        facts.onAsk = [&](const std::string&) {
            const int at = ++now;
            int seen = most;
            while (at > seen && !most.compare_exchange_weak(seen, at)) {
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
            --now;
        };
        PreparedThreads threads;
        const std::vector<std::string> printers = {"a", "b", "c", "d", "e", "f"};
        std::vector<std::size_t> answered;
        const std::size_t asked =
            AskAll(facts, printers, c.parallel, c.threads ? &threads : nullptr, nullptr,
                   [&](std::size_t i, const PrinterAnswer& answer) {
                       EXPECT_FALSE(answer.facts) << c.name;
                       answered.push_back(i);
                   });
        EXPECT_EQ(asked, printers.size()) << c.name;
        std::sort(answered.begin(), answered.end());
        EXPECT_EQ(answered, (std::vector<std::size_t>{0, 1, 2, 3, 4, 5})) << c.name;
        EXPECT_LE(most, c.mostAtOnce) << c.name;
        EXPECT_EQ(threads.prepared, c.mostAtOnce > 1 ? 6 : 0) << c.name;
    }
}

TEST(AskAll, AnAsksExceptionComesOutOnTheCallersThread) {
    FakePrinterFacts facts;
    facts.onAsk = [](const std::string& printer) {
        if (printer == "b") {
            throw std::runtime_error("out of memory");
        }
    };
    PreparedThreads threads;
    EXPECT_THROW(AskAll(facts, {"a", "b", "c"}, 2, &threads, nullptr,
                        [](std::size_t, const PrinterAnswer&) {}),
                 std::runtime_error);
}

}  // namespace
}  // namespace tessaline
