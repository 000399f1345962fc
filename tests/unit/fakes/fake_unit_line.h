#pragma once
#include <cstdint>
#include <deque>
#include <functional>
#include <vector>

#include "held_ports.h"
#include "unit_line.h"
#include "virtual_clock.h"

// The multi-unit cycle's port on virtual time, with units behind it: every
// write is recorded, and what `units` answers to it arrives `replyDelayMs`
// later. Reads wait within the port's read time-outs, as the driver does.
class FakeUnitLine : public UnitLine {
public:
    FakeUnitLine(VirtualClock& clock, HeldPorts& held) : m_clock(clock), m_held(held) {}

    bool Open(int32_t comNumber, uint32_t baudRate) override {
        if (comNumber < 1 || m_held.count(comNumber)) return false;
        m_held.insert(comNumber);
        openCom = comNumber;
        openBaud = baudRate;
        return true;
    }
    void Close() override {
        m_held.erase(openCom);
        openCom = 0;
    }
    bool IsOpen() const override { return openCom != 0; }
    void Purge() override { m_incoming.clear(); }
    void Write(const uint8_t* data, uint32_t count) override {
        writes.emplace_back(data, data + count);
        if (onWrite) onWrite();
        const uint64_t atUs = m_clock.NowUs() + uint64_t{replyDelayMs} * 1000;
        if (units) for (uint8_t byte : units(writes.back())) m_incoming.push_back({atUs, byte});
    }
    uint32_t QueuedCount() override {
        uint32_t queued = 0;
        while (queued < m_incoming.size() && m_incoming[queued].atUs <= m_clock.NowUs()) ++queued;
        return queued;
    }
    uint32_t Read(uint8_t* dest, uint32_t count) override {
        const uint64_t limitUs =
            m_clock.NowUs() + uint64_t{kUnitPortTimeouts.readMultiplier * count + kUnitPortTimeouts.readConstant} * 1000;
        const uint64_t lastUs = count > 0 && count <= m_incoming.size() ? m_incoming[count - 1].atUs : limitUs;
        m_clock.AdvanceToUs(lastUs < limitUs ? lastUs : limitUs);
        uint32_t received = 0;
        for (; received < count && QueuedCount() > 0; ++received) {
            dest[received] = m_incoming.front().byte;
            m_incoming.pop_front();
        }
        return received;
    }

    std::function<std::vector<uint8_t>(const std::vector<uint8_t>& request)> units;
    uint32_t replyDelayMs = 10;
    std::function<void()> onWrite;  // runs inside every write
    std::vector<std::vector<uint8_t>> writes;
    int32_t openCom = 0;
    uint32_t openBaud = 0;

private:
    struct Pending {
        uint64_t atUs;
        uint8_t byte;
    };
    VirtualClock& m_clock;
    HeldPorts& m_held;
    std::deque<Pending> m_incoming;
};
