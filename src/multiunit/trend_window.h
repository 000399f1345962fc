#pragma once
#include <windows.h>

#include <functional>

#include "alarm_limits.h"
#include "trend_history.h"

// Sent to an open trend window when its cycle's history changed (a poll, a new start).
constexpr UINT kTrendHistoryChanged = WM_APP + 29;

// Creates the trend window of a multi-unit window (`owner`) over its cycle's
// history, and shows it. `cycleRuns` tells whether that cycle runs now (a
// record may be opened only while it does not); `limits` gives the alarm
// limits in force, drawn as lines. nullptr when it could not be made.
struct TrendSource {
    const TrendHistory& live;
    std::function<bool()> cycleRuns;
    std::function<AlarmLimits()> limits;
};
HWND CreateTrendWindow(HINSTANCE instance, HWND owner, TrendSource source);
