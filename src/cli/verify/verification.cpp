#include "cli/verify/verification.h"

#include <algorithm>

#include "base/firmware_components.h"

namespace tessaline {

Verification::Verification(VerifyPlan plan)
    : m_plan(std::move(plan)),
      m_nextAtMs(std::min(kFirstAskMs, m_plan.timeoutMs)),
      m_gapMs(kFirstGapMs) {}

VerifyOutcome Verification::Take(const PrinterAnswer& answer, std::uint32_t nowMs) {
    if (m_outcome != VerifyOutcome::Asking) {
        return m_outcome;
    }
    m_lastAnswered = answer.facts.has_value();
    if (m_lastAnswered) {
        const FirmwareComponents paired = PairFirmware(answer.facts->firmware);
        const ComponentChoice choice = ChooseComponent(paired.components, m_plan.component);
        m_after = choice.index ? paired.components[*choice.index].version : std::nullopt;
        if (m_after == m_plan.expected) {
            m_outcome = VerifyOutcome::Verified;
            return m_outcome;
        }
    }
    if (nowMs >= m_plan.timeoutMs) {
        Conclude();
        return m_outcome;
    }
    m_nextAtMs = std::min(nowMs + m_gapMs, m_plan.timeoutMs);
    m_gapMs = std::min(m_gapMs * kGapGrowthEighths / 8, kLongestGapMs);
    return m_outcome;
}

void Verification::Conclude() {
    m_outcome = VerifyOutcome::NotVerified;
    const std::string seconds = std::to_string(m_plan.timeoutMs / 1000);
    if (!m_lastAnswered) {
        m_message = "the printer did not answer again within " + seconds + " s after the upgrade";
        return;
    }
    m_message = "the printer reports " + m_after.value_or("no version") + " for " +
                m_plan.component + ", not " + m_plan.expected + ", " + seconds +
                " s after the upgrade (before it: " + m_plan.before.value_or("no version") + ")";
}

}  // namespace tessaline
