#pragma once
#include <cstdint>
#include <functional>
#include <set>
#include <vector>

#include "scripted_input.h"
#include "unit_line.h"
#include "virtual_clock.h"

// The multi-unit cycle's port on virtual time, with units behind it: every
// write is recorded, and what `units` answers to it arrives `replyDelayMs`
// later; anything else on the line comes from ScriptedInput. Reads wait
// within the port's read time-outs, as the driver does. Once the line hangs
// up, nothing is queued and a read returns empty at once.
// The COM numbers that the ports of one test hold. A second open of a held
// number is refused, as Windows refuses a port opened without sharing.
using HeldPorts = std::set<int64_t>;

class FakeUnitLine : public UnitLine, public ScriptedInput {
public:
    FakeUnitLine(VirtualClock& clock, HeldPorts& held) : ScriptedInput(clock), m_held(held) {}

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
    void Purge() override { DropArrived(); }
    void Write(const uint8_t* data, uint32_t count) override {
        writes.emplace_back(data, data + count);
        if (onWrite) onWrite();
        const uint64_t atUs = m_clock.NowUs() + uint64_t{replyDelayMs} * 1000;
        if (units) ArriveUs(atUs, units(writes.back()));
    }
    uint32_t QueuedCount() override { return HungUp() ? 0 : Queued(); }
    uint32_t Read(uint8_t* dest, uint32_t count) override {
        StartRead(dest, count);
        if (HungUp()) return 0;
        const uint64_t limitUs =
            m_clock.NowUs() +
            uint64_t{kUnitPortTimeouts.readMultiplier * count + kUnitPortTimeouts.readConstant} * 1000;
        uint64_t lastUs = limitUs;
        if (ArrivalOf(count, lastUs) && lastUs > limitUs) lastUs = limitUs;
        m_clock.AdvanceToUs(lastUs);
        return TakeArrived(dest, count);
    }

    std::function<std::vector<uint8_t>(const std::vector<uint8_t>& request)> units;
    uint32_t replyDelayMs = 10;
    std::function<void()> onWrite;  // runs inside every write
    std::vector<std::vector<uint8_t>> writes;
    int32_t openCom = 0;
    uint32_t openBaud = 0;

private:
    HeldPorts& m_held;
};
