#pragma once
#include <cstdint>
#include <deque>
#include <limits>
#include <vector>

#include "virtual_clock.h"

// What reaches a fake port on virtual time: bytes at set moments, line errors
// flagged at set moments, and the moment the line hangs up (the unit's end
// gone: from then on the port answers nothing). It also keeps the extent of
// every read's destination, so a test can tell a read that reached past its
// buffer.
class ScriptedInput {
public:
    explicit ScriptedInput(VirtualClock& clock) : m_clock(clock) {}

    // `bytes` arrive from `atMs` on, one every `charUs` microseconds
    // (0: all at once). 10 bits a character: 1041 us at 9600 baud.
    void Arrive(uint64_t atMs, const std::vector<uint8_t>& bytes, uint32_t charUs = 0) {
        ArriveUs(atMs * 1000, bytes, charUs);
    }
    void ArriveUs(uint64_t atUs, const std::vector<uint8_t>& bytes, uint32_t charUs = 0);
    void FlagLineErrorAt(uint64_t atMs) { m_lineErrorsUs.push_back(atMs * 1000); }
    void HangUpAt(uint64_t atMs) { m_hangUpUs = atMs * 1000; }
    static uint32_t CharUs(uint32_t baudRate) { return 10000000 / baudRate; }

    // Bytes that have arrived and not been read or purged.
    uint32_t Queued() const;
    bool HungUp() const { return m_clock.NowUs() >= m_hangUpUs; }
    // How many bytes the reads' destinations spanned, from the lowest first
    // byte to the highest end: the reads into one buffer stay within its size.
    uint64_t ReadExtent() const { return m_readEnd > m_readStart ? m_readEnd - m_readStart : 0; }

    uint32_t readCostUs = 0;  // virtual time each read takes

protected:
    // Notes where a read may write and lets its cost pass.
    void StartRead(const uint8_t* dest, uint32_t count);
    // Moves up to `count` arrived bytes to `dest`; returns how many.
    uint32_t TakeArrived(uint8_t* dest, uint32_t count);
    void DropArrived();
    bool TakeLineError();
    // The arrival time of the `n`-th byte still to be read (1 = the next), if
    // that many are on their way.
    bool ArrivalOf(uint32_t n, uint64_t& atUs) const;
    // When something next happens on the line, at most `untilUs`.
    uint64_t NextEventUs(uint64_t untilUs) const;

    VirtualClock& m_clock;

private:
    struct Pending {
        uint64_t atUs;
        uint8_t byte;
    };
    std::deque<Pending> m_incoming;  // in arrival order
    std::vector<uint64_t> m_lineErrorsUs;
    uint64_t m_hangUpUs = std::numeric_limits<uint64_t>::max();
    uintptr_t m_readStart = std::numeric_limits<uintptr_t>::max();
    uintptr_t m_readEnd = 0;
};
