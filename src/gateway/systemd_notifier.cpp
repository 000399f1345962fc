#include "systemd_notifier.h"

#include <systemd/sd-daemon.h>

SystemdNotifier::SystemdNotifier() {
    uint64_t watchdogUs = 0;
    // WatchdogSec= of the unit, given to us in WATCHDOG_USEC.
    if (sd_watchdog_enabled(0, &watchdogUs) > 0) m_feedEvery = std::chrono::microseconds(watchdogUs / 4);
}

void SystemdNotifier::Ready() { sd_notify(0, "READY=1"); }

void SystemdNotifier::Alive() {
    if (m_feedEvery.count() == 0) return;
    const auto now = std::chrono::steady_clock::now();
    if (m_lastFed != std::chrono::steady_clock::time_point{} && now - m_lastFed < m_feedEvery) return;
    m_lastFed = now;
    sd_notify(0, "WATCHDOG=1");
}

void SystemdNotifier::Status(const std::string& text) { sd_notify(0, ("STATUS=" + text).c_str()); }
