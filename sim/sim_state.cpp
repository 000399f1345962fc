#include "sim_state.h"

#include <sys/eventfd.h>
#include <unistd.h>

SimState::SimState() : m_start(std::chrono::steady_clock::now()) { m_wakeFd = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK); }

SimState::~SimState() {
    if (m_wakeFd >= 0) close(m_wakeFd);
}

SimUnit* SimState::FindUnit(uint8_t address) {
    for (SimUnit& unit : units) {
        if (unit.address == address) return &unit;
    }
    return nullptr;
}

uint32_t SimState::MsSinceStart() const {
    const auto elapsed = std::chrono::steady_clock::now() - m_start;
    return static_cast<uint32_t>(std::chrono::duration_cast<std::chrono::milliseconds>(elapsed).count());
}

void SimState::WakeLine() {
    const uint64_t one = 1;
    [[maybe_unused]] const ssize_t ignored = write(m_wakeFd, &one, sizeof one);
}

void SimState::ClearWake() {
    uint64_t count = 0;
    [[maybe_unused]] const ssize_t ignored = read(m_wakeFd, &count, sizeof count);
}
