#include "control_number.h"

#include <cstddef>
#include <limits>

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r'; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

}  // namespace

int32_t ReadSignedDecimal(const std::string& text) {
    size_t i = 0;
    while (i < text.size() && IsBlank(text[i])) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    if (i >= text.size() || !IsDigit(text[i])) return 0;

    // Accumulate in 64 bits and stop as soon as the 32-bit range is left, so
    // a field full of digits can neither overflow nor take long.
    const int64_t limit =
        negative ? -int64_t{std::numeric_limits<int32_t>::min()} : int64_t{std::numeric_limits<int32_t>::max()};
    int64_t magnitude = 0;
    for (; i < text.size() && IsDigit(text[i]); ++i) {
        magnitude = magnitude * 10 + (text[i] - '0');
        if (magnitude > limit) return 0;
    }
    return static_cast<int32_t>(negative ? -magnitude : magnitude);
}

std::string SignedDecimalText(int32_t value) { return std::to_string(value); }

uint8_t LowByte(int32_t value) { return static_cast<uint8_t>(static_cast<uint32_t>(value) & 0xFFu); }
