#pragma once
#include <array>
#include <cstddef>
#include <cstdint>

// Every request is exactly 8 bytes: address, function, register (hi, lo),
// count or value (hi, lo), CRC (two bytes, wire order).
constexpr size_t kRequestLength = 8;
using RequestFrame = std::array<uint8_t, kRequestLength>;

constexpr uint8_t kFunctionReadHolding = 0x03;
constexpr uint8_t kFunctionWriteSingle = 0x06;

RequestFrame BuildRequest(uint8_t address, uint8_t function, uint16_t reg, uint16_t countOrValue);

// A reply is judged by its CRC alone: the CRC of all bytes but the last two
// must equal the last two. Nothing else of the reply is compared.
bool VerifyReply(const uint8_t* reply, size_t length);

// A 16-bit register value as it travels, high byte first.
inline uint16_t RegisterValueAt(const uint8_t* bytes) { return static_cast<uint16_t>(bytes[0] << 8 | bytes[1]); }
