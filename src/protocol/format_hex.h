#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

// " %02X" per byte, concatenated: the form of every frame in the log.
std::string FormatHex(const uint8_t* data, size_t length);
