#pragma once
#include <cstdint>
#include <optional>
#include <random>
#include <vector>

#include "fault.h"
#include "pty.h"
#include "sim_state.h"
#include "stop_signal.h"

// The units' side of the wire: collects request frames from the pty, has
// the addressed unit answer them, and sends the replies at the line's pace,
// faults included. Runs on a thread of its own until the stop signal.
class LineWorker {
public:
    LineWorker(Pty& pty, SimState& state, const StopSignal& stop);
    void Run();

private:
    // The line speed of a unit that babbles (it takes over the line), or 0.
    uint32_t BabbleBaud();
    int64_t NextTimeoutNs(uint32_t babbleBaud);
    void WaitForActivity(int64_t timeoutNs);
    void ReadInput();
    std::optional<std::vector<uint8_t>> TakeFrame();
    void HandleFrame(const std::vector<uint8_t>& frame);
    bool Send(const ReplyPlan& plan, uint32_t baud);
    bool SendPaced(const std::vector<uint8_t>& bytes, uint32_t baud);
    void BabbleIfDue(uint32_t baud);
    // Sleeps until the monotonic time `dueNs`; false when the sim is stopping.
    bool SleepUntil(uint64_t dueNs);
    uint8_t RandomByte();

    Pty& m_pty;
    SimState& m_state;
    const StopSignal& m_stop;
    std::vector<uint8_t> m_pending;  // bytes of a frame not yet complete
    uint64_t m_lastByteNs = 0;
    uint32_t m_pendingBaud = 0;  // the host's speed when those bytes came
    uint64_t m_nextBabbleNs = 0;
    uint64_t m_lastReplyByteNs = 0;  // when the latest reply's last byte was handed to the pty
    std::minstd_rand m_random;
};
