#pragma once
#include <cstdint>
#include <string>

// Numbers in control texts, read the way the dialog manager reads them:
// leading blanks skipped, an optional sign, then decimal digits up to the
// first other character. Anything that is no number, and a number that does
// not fit in 32 bits, reads as 0. Safe on any bytes of any length.
int32_t ReadSignedDecimal(const std::string& text);

// The reverse: a signed decimal with no padding.
std::string SignedDecimalText(int32_t value);

// The station address the console sends: the low 8 bits, with no range test.
uint8_t LowByte(int32_t value);
