#include "fault.h"

#include <algorithm>
#include <cstdlib>

#include "modbus_crc.h"

namespace {
struct FaultName {
    const char* word;
    FaultKind kind;
    size_t numbers;  // how many numbers follow the word
};
constexpr FaultName kFaultNames[] = {
    {"none", FaultKind::None, 0},     {"silent", FaultKind::Silent, 0}, {"badcrc", FaultKind::BadCrc, 0},
    {"late", FaultKind::Late, 1},     {"short", FaultKind::Short, 1},   {"trailing", FaultKind::Trailing, 1},
    {"chunks", FaultKind::Chunks, 2}, {"noise", FaultKind::Noise, 1},   {"otheraddr", FaultKind::OtherAddress, 1},
    {"babble", FaultKind::Babble, 0},
};

bool ParseNumber(const std::string& word, uint32_t& value) {
    if (word.empty() || word.size() > 9 || word.find_first_not_of("0123456789") != std::string::npos) return false;
    value = static_cast<uint32_t>(std::strtoul(word.c_str(), nullptr, 10));
    return true;
}

void SetCrc(std::vector<uint8_t>& frame) {
    const uint16_t crc = ModbusCrc16(frame.data(), frame.size() - 2);
    frame[frame.size() - 2] = static_cast<uint8_t>(crc >> 8);
    frame[frame.size() - 1] = static_cast<uint8_t>(crc & 0xFF);
}

std::vector<std::vector<uint8_t>> Split(const std::vector<uint8_t>& bytes, size_t chunkSize) {
    std::vector<std::vector<uint8_t>> chunks;
    for (size_t at = 0; at < bytes.size(); at += chunkSize) {
        const size_t end = std::min(bytes.size(), at + chunkSize);
        chunks.emplace_back(bytes.begin() + static_cast<std::ptrdiff_t>(at),
                            bytes.begin() + static_cast<std::ptrdiff_t>(end));
    }
    return chunks;
}
}  // namespace

bool ParseFault(const std::vector<std::string>& words, Fault& fault) {
    if (words.empty()) return false;
    for (const FaultName& name : kFaultNames) {
        if (words[0] != name.word) continue;
        if (words.size() != name.numbers + 1) return false;
        Fault parsed;
        parsed.kind = name.kind;
        if (name.numbers >= 1 && !ParseNumber(words[1], parsed.amount)) return false;
        if (name.numbers >= 2 && !ParseNumber(words[2], parsed.gapMs)) return false;
        if (parsed.kind == FaultKind::Chunks && parsed.amount == 0) return false;
        if (parsed.kind == FaultKind::OtherAddress && parsed.amount > 255) return false;
        fault = parsed;
        return true;
    }
    return false;
}

ReplyPlan PlanReply(std::vector<uint8_t> reply, const Fault& fault, uint32_t responseDelayMs,
                    const RandomByte& randomByte) {
    ReplyPlan plan;
    plan.delayMs = responseDelayMs;
    switch (fault.kind) {
    case FaultKind::Silent:
    case FaultKind::Babble: return plan;
    case FaultKind::BadCrc: reply.back() ^= 0xFF; break;
    case FaultKind::Late: plan.delayMs += fault.amount; break;
    case FaultKind::Short: reply.resize(std::min<size_t>(reply.size(), fault.amount)); break;
    case FaultKind::Trailing:
        for (uint32_t i = 0; i < fault.amount; ++i) reply.push_back(randomByte());
        break;
    case FaultKind::Noise: {
        std::vector<uint8_t> noisy;
        for (uint32_t i = 0; i < fault.amount; ++i) noisy.push_back(randomByte());
        reply.insert(reply.begin(), noisy.begin(), noisy.end());
        break;
    }
    case FaultKind::OtherAddress:
        reply[0] = static_cast<uint8_t>(fault.amount);
        SetCrc(reply);
        break;
    case FaultKind::Chunks:
        plan.chunks = Split(reply, fault.amount);
        plan.gapMs = fault.gapMs;
        return plan;
    case FaultKind::None: break;
    }
    if (!reply.empty()) plan.chunks.push_back(std::move(reply));
    return plan;
}
