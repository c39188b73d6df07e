#include "cli/verify/verification.h"

#include <gtest/gtest.h>

namespace tessaline {
namespace {

// One ask: what the printer answered (absent: it refused the connection) and its up time.
struct Ask {
    std::optional<std::string> version;
    std::int32_t upTime;
};

PrinterAnswer AnswerOf(const Ask& ask) {
    PrinterAnswer answer;
    if (ask.version) {
        answer.facts = PrinterFacts{};
        answer.facts->firmware = {{"Engine", "Module"}, {"7", *ask.version}, {}, {}};
        answer.facts->upTime = ask.upTime;
    } else {
        answer.problem = "the printer at p:631 could not be reached";
    }
    return answer;
}

const Ask kDown = {std::nullopt, 0};

TEST(Verification, AsksSpacedUntilTheVersionOrTheEnd) {
    const struct {
        const char* name;
        std::vector<Ask> asks;
        VerifyOutcome outcome;
        std::optional<std::string> after;
        std::string message;
    } cases[] = {
        {"at once", {{"2.1.0", 500}}, VerifyOutcome::Verified, "2.1.0", ""},
        {"restarts, then new",
         {{"2.0.3", 500}, kDown, kDown, {"2.0.3", 501}, {"2.1.0", 2}},
         VerifyOutcome::Verified,
         "2.1.0",
         ""},
        {"keeps the old one", std::vector<Ask>(40, {"2.0.3", 500}), VerifyOutcome::NotVerified,
         "2.0.3",
         "the printer reports 2.0.3 for Module, not 2.1.0, 30 s after the upgrade (before it: "
         "2.0.3)"},
        {"never back", std::vector<Ask>(40, kDown), VerifyOutcome::NotVerified, std::nullopt,
         "the printer did not answer again within 30 s after the upgrade"},
    };
    for (const auto& c : cases) {
        Verification verification({"2.1.0", "Module", "2.0.3", 30000});
        std::vector<std::uint32_t> times;
        for (const Ask& ask : c.asks) {
            if (verification.Outcome() != VerifyOutcome::Asking) {
                break;
            }
            times.push_back(verification.NextAskAtMs());
            verification.Take(AnswerOf(ask), times.back());
        }
        EXPECT_EQ(verification.Outcome(), c.outcome) << c.name;
        EXPECT_EQ(verification.After(), c.after) << c.name;
        EXPECT_EQ(verification.Message(), c.message) << c.name;
        for (std::size_t i = 2; i < times.size(); ++i) {
            const std::uint32_t gap = times[i] - times[i - 1];
            EXPECT_TRUE(gap >= times[i - 1] - times[i - 2] || times[i] == 30000) << c.name;
            EXPECT_GE(gap, kFirstGapMs) << c.name;
            EXPECT_LE(gap, kLongestGapMs) << c.name;
        }
        EXPECT_LE(times.back(), 30000u) << c.name;
    }
}

TEST(Verification, TheScheduleOfAsks) {
    Verification verification({"2.1.0", "Module", "2.0.3", 30000});
    std::vector<std::uint32_t> times;
    while (verification.Outcome() == VerifyOutcome::Asking) {
        times.push_back(verification.NextAskAtMs());
        verification.Take(AnswerOf(kDown), times.back());
    }
    const std::vector<std::uint32_t> expected = {1000, 1500,  2125,  2906,  3882,  5102,  6627,
                                                 8533, 10915, 13892, 17613, 22264, 27264, 30000};
    EXPECT_EQ(times, expected);
}

}  // namespace
}  // namespace tessaline
