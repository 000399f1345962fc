#pragma once
#include <chrono>
#include <cstdint>

#include "service_notifier.h"

// sd_notify: READY=1, WATCHDOG=1 and STATUS= to systemd over NOTIFY_SOCKET.
// Without it (not started by systemd) every call does nothing. The watchdog
// is fed at most every quarter of WatchdogSec, so a busy loop does not flood
// the socket, and always within half of it, as systemd asks.
class SystemdNotifier : public ServiceNotifier {
public:
    SystemdNotifier();
    void Ready() override;
    void Alive() override;
    void Status(const std::string& text) override;

private:
    std::chrono::microseconds m_feedEvery{0};  // 0: no watchdog asked for
    std::chrono::steady_clock::time_point m_lastFed{};
};
