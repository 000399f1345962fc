#include "fake_serial_line.h"

bool FakeSerialLine::Open(uint32_t portNumber, uint32_t baudRate) {
    Close();
    if (portNumber < 1 || portNumber > 1024 || refuseOpen) return false;
    open = true;
    if (refuseSettings) return false;
    opened.push_back({portNumber, baudRate});
    return true;
}

LineStatus FakeSerialLine::QueryStatus() {
    if (statusFails || HungUp()) return {};
    const bool error = TakeLineError();
    return {true, error, Queued()};
}

LineStatus FakeSerialLine::QueryErrors() {
    if (HungUp()) return {};
    return {true, TakeLineError(), 0};
}

void FakeSerialLine::PurgeInput() {
    ++inputPurges;
    DropArrived();
}

ReadResult FakeSerialLine::Read(uint8_t* dest, uint32_t count, uint32_t shortWaitMs) {
    readSizes.push_back(count);
    StartRead(dest, count);
    if (refuseReads > 0 || HungUp()) {
        if (refuseReads > 0) --refuseReads;
        return {true, 0};
    }
    if (pendingReads > 0) {
        --pendingReads;
        m_clock.SleepMs(shortWaitMs);
        return {false, 0};
    }
    return {false, TakeArrived(dest, count)};
}

void FakeSerialLine::StartWrite(const uint8_t* data, uint32_t count) {
    writes.emplace_back(data, data + count);
    if (onWrite) onWrite(writes.back());
}

void FakeSerialLine::WaitForInput(uint32_t timeoutMs) {
    ++waits;
    m_clock.AdvanceToUs(NextEventUs(m_clock.NowUs() + uint64_t{timeoutMs} * 1000));
}
