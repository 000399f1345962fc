// The trend window's own paint under Wine: the picture of a day of 16 units
// (bench/day_of_polls.h) drawn into a 1920 × 1080 bitmap, as the window
// draws into its back buffer, at spans from 1 min to 24 h. Figures only.
#include <windows.h>

#include <algorithm>
#include <cstdio>

#include "day_of_polls.h"
#include "trend_painter.h"

using namespace day_of_polls;

int main() {
    TrendHistory history;
    Fill(history);
    TrendPicture picture;
    picture.history = &history;
    for (size_t unit = 0; unit < history.UnitCount(); ++unit) {
        for (size_t channel = 0; channel < kTrendChannels; ++channel) picture.drawn.push_back({unit, channel});
    }
    const RECT area{0, 0, static_cast<LONG>(kViewWidthPx), 1080};
    const HDC screen = GetDC(nullptr);
    const HDC dc = CreateCompatibleDC(screen);
    const HBITMAP bitmap = CreateCompatibleBitmap(screen, area.right, area.bottom);
    const HGDIOBJ old = SelectObject(dc, bitmap);
    LARGE_INTEGER frequency{};
    QueryPerformanceFrequency(&frequency);
    const TrendMs newest = history.Span()->end;
    for (TrendMs span : {kMinuteMs, 10 * kMinuteMs, kHourMs, 6 * kHourMs, 24 * kHourMs}) {
        picture.span = {newest - span, newest};
        double best = 1e9;
        for (int run = 0; run < 5; ++run) {
            LARGE_INTEGER start{}, end{};
            QueryPerformanceCounter(&start);
            PaintTrend(dc, area, picture);
            GdiFlush();
            QueryPerformanceCounter(&end);
            best = std::min(best, (end.QuadPart - start.QuadPart) * 1000.0 / frequency.QuadPart);
        }
        std::printf("paint of a %zu x 1080 px view of 64 series over %6.0f min: %7.2f ms\n", kViewWidthPx,
                    span / 60000.0, best);
    }
    SelectObject(dc, old);
    DeleteObject(bitmap);
    DeleteDC(dc);
    ReleaseDC(nullptr, screen);
}
