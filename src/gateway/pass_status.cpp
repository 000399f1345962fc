#include "pass_status.h"

std::optional<std::string> PassStatus::AfterPoll(bool answered, size_t pending) {
    m_answered += answered ? 1 : 0;
    if (++m_polled < m_unitsPerPass) return std::nullopt;
    const std::string line = "last pass: " + std::to_string(m_answered) + " of " + std::to_string(m_polled) +
                             " units answered; " + std::to_string(pending) + " readings pending";
    m_polled = m_answered = 0;
    return line;
}
