#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// What a unit does wrong, set over the control channel while the sim runs.
enum class FaultKind { None, Silent, BadCrc, Late, Short, Trailing, Chunks, Noise, OtherAddress, Babble };

struct Fault {
    FaultKind kind = FaultKind::None;
    uint32_t amount = 0;  // ms for Late, bytes for Short/Trailing/Chunks/Noise, address for OtherAddress
    uint32_t gapMs = 0;   // Chunks only
};

// Parses "none", "late 300", "chunks 3 20"... False for anything else.
bool ParseFault(const std::vector<std::string>& words, Fault& fault);

// How one reply goes out: after a delay, in chunks with a gap between them.
struct ReplyPlan {
    uint32_t delayMs = 0;
    std::vector<std::vector<uint8_t>> chunks;
    uint32_t gapMs = 0;
};

using RandomByte = std::function<uint8_t()>;

// Turns a correct reply into what the faulty unit sends. An empty plan
// (no chunks) means the unit stays silent.
ReplyPlan PlanReply(std::vector<uint8_t> reply, const Fault& fault, uint32_t responseDelayMs,
                    const RandomByte& randomByte);
