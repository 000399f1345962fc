#pragma once
// A voltage register holds a count; what a count is in volts depends on who
// reads it. The console reads hundredths of a volt and shows two decimals;
// the multi-unit table reads thousandths and shows three. Neither is derived
// from the other, so both stand here side by side.
#include <cstdint>
#include <string>

struct VoltageScale {
    double voltsPerCount;
    int decimals;
};
constexpr VoltageScale kConsoleScale{0.01, 2};
constexpr VoltageScale kMultiUnitScale{0.001, 3};

// The count in volts, in double precision.
inline double Volts(uint16_t count, VoltageScale scale) { return static_cast<double>(count) * scale.voltsPerCount; }

// The volts with the scale's decimals and no unit: 1234 gives "12.34" at the
// console's scale and "1.234" at the multi-unit table's.
std::string VoltsText(uint16_t count, VoltageScale scale);
