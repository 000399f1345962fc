#pragma once
#include <windows.h>

#include <vector>

#include "alarm_limits.h"
#include "trend_history.h"
#include "trend_markers.h"
#include "trend_scales.h"

// What one picture of the trend shows.
struct TrendPicture {
    const TrendHistory* history = nullptr;
    std::vector<TrendSeries> drawn;
    TrendSpan span;
    std::optional<VoltRange> volts;  // none: fitted to the drawn data
    const TrendMarkers* markers = nullptr;
    AlarmLimits limits;    // drawn as horizontal lines
    HFONT font = nullptr;  // the window's font
};

// Where the picture put things, to map the mouse back to times and volts.
struct TrendLayout {
    RECT plot{};  // the data area inside the axes
    TrendSpan span;
    VoltRange volts;
    TrendMs TimeAt(int x) const;
    double VoltsAt(int y) const;
    TrendMs MsPerPixel() const;
};

// A series' colour, the same wherever it is drawn or listed.
COLORREF SeriesColour(const TrendSeries& series);

// Paints the whole picture into `area` of `dc`: background, grid, axes with
// their labels, the lines, the alarm limits, the markers. Only GDI calls; every number comes
// from the model.
TrendLayout PaintTrend(HDC dc, const RECT& area, const TrendPicture& picture);
