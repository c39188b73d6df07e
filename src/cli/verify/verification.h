#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "platform/printer_facts.h"

namespace tessaline {

// After an upgrade's job ended completed, the printer is asked again until it reports the
// expected version or the time runs out. A printer that restarts to apply the file refuses to be
// asked for a while, and comes back with a lower up time: that is waited for, never a failure.
//
// Times are milliseconds from the job's end, on whatever clock the caller keeps.
struct VerifyPlan {
    std::string expected;
    std::string component;  // chosen before the upgrade
    std::optional<std::string> before;
    std::uint32_t timeoutMs = 600000;
};

enum class VerifyOutcome { Asking, Verified, NotVerified };

class Verification {
  public:
    explicit Verification(VerifyPlan plan);

    // When the next ask is due. Asks are spaced, further apart as they go, never past the end.
    std::uint32_t NextAskAtMs() const { return m_nextAtMs; }
    // Takes one answer, asked at nowMs.
    VerifyOutcome Take(const PrinterAnswer& answer, std::uint32_t nowMs);

    VerifyOutcome Outcome() const { return m_outcome; }
    // The version the printer last reported for the component; absent when it never did.
    const std::optional<std::string>& After() const { return m_after; }
    // Why it is not verified; empty otherwise.
    const std::string& Message() const { return m_message; }

  private:
    void Conclude();

    VerifyPlan m_plan;
    VerifyOutcome m_outcome = VerifyOutcome::Asking;
    std::uint32_t m_nextAtMs;
    std::uint32_t m_gapMs;
    bool m_lastAnswered = false;
    std::optional<std::string> m_after;
    std::string m_message;
};

// The spacing of the asks: the first this long after the job's end, each gap then this much
// longer than the one before (in eighths), up to the longest.
inline constexpr std::uint32_t kFirstAskMs = 1000;
inline constexpr std::uint32_t kFirstGapMs = 500;
inline constexpr std::uint32_t kGapGrowthEighths = 10;
inline constexpr std::uint32_t kLongestGapMs = 5000;

}  // namespace tessaline
