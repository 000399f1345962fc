#include "line_worker.h"

#include <poll.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <mutex>

#include "baud.h"
#include "modbus_frame.h"
#include "request_handler.h"

namespace {
// Longest Modbus RTU frame; more without a pause is not a frame anyone sends.
constexpr size_t kMaxFrameBytes = 256;
// Above 19200 baud Modbus fixes the inter-frame silence at 1.75 ms.
constexpr uint64_t kMinSilenceNs = 1750000;
// After a stall longer than this a babbling unit restarts its pace instead of catching up in a burst.
constexpr uint64_t kBabbleCatchUpNs = 100000000;

uint64_t SilenceNs(uint32_t baud) {
    const uint64_t silence = CharTimeNs(baud == 0 ? 9600 : baud) * 35 / 10;
    return std::max(silence, kMinSilenceNs);
}

uint64_t MonotonicNs() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<uint64_t>(now.tv_sec) * 1000000000 + static_cast<uint64_t>(now.tv_nsec);
}

timespec ToTimespec(uint64_t ns) {
    return timespec{static_cast<time_t>(ns / 1000000000), static_cast<long>(ns % 1000000000)};
}
}  // namespace

LineWorker::LineWorker(Pty& pty, SimState& state, const StopSignal& stop)
    : m_pty(pty), m_state(state), m_stop(stop), m_random(static_cast<unsigned>(MonotonicNs())) {}

void LineWorker::Run() {
    while (!m_stop.Raised()) {
        const uint32_t babbleBaud = BabbleBaud();
        WaitForActivity(NextTimeoutNs(babbleBaud));
        while (std::optional<std::vector<uint8_t>> frame = TakeFrame()) HandleFrame(*frame);
        if (babbleBaud != 0) BabbleIfDue(babbleBaud);
    }
}

int64_t LineWorker::NextTimeoutNs(uint32_t babbleBaud) {
    const uint64_t now = MonotonicNs();
    if (babbleBaud == 0) m_nextBabbleNs = 0;
    if (babbleBaud != 0 && m_nextBabbleNs == 0) m_nextBabbleNs = now;

    int64_t timeoutNs = -1;  // nothing due: wait for input, a wake or the stop
    if (!m_pending.empty()) {
        const uint64_t due = m_lastByteNs + SilenceNs(m_pendingBaud);
        timeoutNs = due > now ? static_cast<int64_t>(due - now) : 0;
    }
    if (babbleBaud != 0) {
        const int64_t untilBabble = m_nextBabbleNs > now ? static_cast<int64_t>(m_nextBabbleNs - now) : 0;
        timeoutNs = timeoutNs < 0 ? untilBabble : std::min(timeoutNs, untilBabble);
    }
    return timeoutNs;
}

void LineWorker::WaitForActivity(int64_t timeoutNs) {
    pollfd fds[] = {{m_pty.MasterFd(), POLLIN, 0}, {m_stop.ReadFd(), POLLIN, 0}, {m_state.WakeFd(), POLLIN, 0}};
    const timespec timeout = ToTimespec(static_cast<uint64_t>(std::max<int64_t>(timeoutNs, 0)));
    if (ppoll(fds, 3, timeoutNs < 0 ? nullptr : &timeout, nullptr) <= 0) return;
    if (fds[2].revents & POLLIN) m_state.ClearWake();
    if (fds[0].revents & POLLIN) ReadInput();
}

void LineWorker::ReadInput() {
    uint8_t chunk[512];
    ssize_t got;
    while ((got = read(m_pty.MasterFd(), chunk, sizeof chunk)) > 0) {
        m_pending.insert(m_pending.end(), chunk, chunk + got);
    }
    m_lastByteNs = MonotonicNs();
    // The unit judges the line speed as the bytes come in, like a UART would.
    m_pendingBaud = m_pty.HostBaud();
}

std::optional<std::vector<uint8_t>> LineWorker::TakeFrame() {
    if (m_pending.empty()) return std::nullopt;
    size_t length = 0;
    // A complete request is answered at once instead of after the silence.
    if (m_pending.size() >= kRequestLength && VerifyReply(m_pending.data(), kRequestLength)) {
        length = kRequestLength;
    } else if (m_pending.size() >= kMaxFrameBytes || MonotonicNs() - m_lastByteNs >= SilenceNs(m_pendingBaud)) {
        length = std::min(m_pending.size(), kMaxFrameBytes);
    } else {
        return std::nullopt;
    }
    std::vector<uint8_t> frame(m_pending.begin(), m_pending.begin() + static_cast<std::ptrdiff_t>(length));
    m_pending.erase(m_pending.begin(), m_pending.begin() + static_cast<std::ptrdiff_t>(length));
    return frame;
}

void LineWorker::HandleFrame(const std::vector<uint8_t>& frame) {
    std::optional<UnitAnswer> answer;
    ReplyPlan plan;
    uint32_t baud = 0;
    {
        std::lock_guard<std::mutex> lock(m_state.mutex);
        const uint32_t nowMs = m_state.MsSinceStart();
        m_state.rxLog.push_back({nowMs, m_pendingBaud, frame});
        for (SimUnit& unit : m_state.units) MoveVoltages(unit, nowMs, m_random);
        answer = AnswerRequest(m_state.units, frame, m_pendingBaud);
        if (!answer) return;
        const SimUnit& unit = m_state.units[answer->unitIndex];
        plan = PlanReply(answer->reply, unit.fault, unit.responseDelayMs, [this] { return RandomByte(); });
        baud = unit.baud;
    }
    if (!Send(plan, baud)) return;
    std::lock_guard<std::mutex> lock(m_state.mutex);
    SimUnit& unit = m_state.units[answer->unitIndex];
    if (answer->newAddress) unit.address = *answer->newAddress;
    if (answer->newBaud) unit.baud = *answer->newBaud;
    if (!plan.chunks.empty()) m_state.lastReplyEndUs = m_lastReplyByteNs / 1000;
}

bool LineWorker::Send(const ReplyPlan& plan, uint32_t baud) {
    if (plan.chunks.empty()) return true;
    if (!SleepUntil(MonotonicNs() + uint64_t{plan.delayMs} * 1000000)) return false;
    for (size_t i = 0; i < plan.chunks.size(); ++i) {
        if (i > 0 && !SleepUntil(MonotonicNs() + uint64_t{plan.gapMs} * 1000000)) return false;
        if (!SendPaced(plan.chunks[i], baud)) return false;
    }
    return true;
}

bool LineWorker::SendPaced(const std::vector<uint8_t>& bytes, uint32_t baud) {
    // Each byte is handed over once its ten bits would have crossed the wire.
    uint64_t due = MonotonicNs();
    for (uint8_t byte : bytes) {
        due += CharTimeNs(baud);
        if (!SleepUntil(due)) return false;
        m_lastReplyByteNs = MonotonicNs();
        m_pty.Write(&byte, 1);
    }
    return true;
}

uint32_t LineWorker::BabbleBaud() {
    std::lock_guard<std::mutex> lock(m_state.mutex);
    for (const SimUnit& unit : m_state.units) {
        if (unit.fault.kind == FaultKind::Babble) return unit.baud;
    }
    return 0;
}

void LineWorker::BabbleIfDue(uint32_t baud) {
    const uint64_t now = MonotonicNs();
    if (now < m_nextBabbleNs) return;
    const uint8_t byte = RandomByte();
    m_pty.Write(&byte, 1);
    m_nextBabbleNs += CharTimeNs(baud);
    if (now > m_nextBabbleNs && now - m_nextBabbleNs > kBabbleCatchUpNs) m_nextBabbleNs = now;
}

bool LineWorker::SleepUntil(uint64_t dueNs) {
    for (;;) {
        if (m_stop.Raised()) return false;
        const uint64_t now = MonotonicNs();
        if (now >= dueNs) return true;
        pollfd stop{m_stop.ReadFd(), POLLIN, 0};
        const timespec timeout = ToTimespec(dueNs - now);
        ppoll(&stop, 1, &timeout, nullptr);
    }
}

uint8_t LineWorker::RandomByte() { return static_cast<uint8_t>(m_random() & 0xFF); }
