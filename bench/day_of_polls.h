#pragma once
// The trend benchmarks' run: 16 units × 4 channels, 24 h at one poll a
// second each (5.5 M samples), slow discharge curves with a failed poll now and then.
#include <cmath>
#include <optional>

#include "trend_history.h"

namespace day_of_polls {

constexpr int kUnits = 16;
constexpr int kSeconds = 24 * 3600;
constexpr size_t kViewWidthPx = 1920;
// Each unit polled once a second, the units 60 ms apart.
inline TrendMs PollTime(int second, int unit) {
    return ToTrendMs({2026, 12, 7, 8, 0, 0, 0}) + second * kSecondMs + unit * 60;
}

inline std::optional<FourValues> Volts(int unit, int second) {
    if ((second * 7 + unit) % 997 == 0) return std::nullopt;
    FourValues v;
    for (int c = 0; c < 4; ++c) {
        v[c] = static_cast<float>(3.3 - second * 1e-6 * (unit + c) + 0.01 * std::sin(second / 60.0 + c));
    }
    return v;
}

// Fills `history` with the whole day.
inline void Fill(TrendHistory& history) {
    for (int second = 0; second < kSeconds; ++second) {
        for (int unit = 0; unit < kUnits; ++unit) history.Append(unit + 1, PollTime(second, unit), Volts(unit, second));
    }
}

}  // namespace day_of_polls
