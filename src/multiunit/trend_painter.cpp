#include "trend_painter.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "trend_limits.h"
#include "trend_texts.h"
#include "win32_utf16.h"

namespace {

constexpr COLORREF kBackground = RGB(255, 255, 255);
constexpr COLORREF kGrid = RGB(225, 225, 225);
constexpr COLORREF kAxisText = RGB(60, 60, 60);
constexpr COLORREF kMarkerColour = RGB(200, 0, 0);
constexpr COLORREF kHighLimitColour = RGB(220, 0, 0);
constexpr COLORREF kLowLimitColour = RGB(0, 90, 220);
constexpr int kMostVoltTicks = 8;

// A pen or brush that goes back out of the DC and is deleted when done.
class Selected {
public:
    Selected(HDC dc, HGDIOBJ object) : m_dc(dc), m_object(object), m_old(SelectObject(dc, object)) {}
    ~Selected() {
        SelectObject(m_dc, m_old);
        DeleteObject(m_object);
    }
    Selected(const Selected&) = delete;
    Selected& operator=(const Selected&) = delete;

private:
    HDC m_dc;
    HGDIOBJ m_object;
    HGDIOBJ m_old;
};

int Scaled(HDC dc, int pixelsAt96Dpi) { return MulDiv(pixelsAt96Dpi, GetDeviceCaps(dc, LOGPIXELSY), 96); }

void Text(HDC dc, int x, int y, const std::string& text, UINT align) {
    const std::wstring wide = WideFromUtf8(text);
    SetTextAlign(dc, align);
    TextOutW(dc, x, y, wide.c_str(), static_cast<int>(wide.size()));
}

int XOf(const TrendLayout& layout, TrendMs time) {
    const double share =
        static_cast<double>(time - layout.span.begin) / std::max<TrendMs>(1, layout.span.end - layout.span.begin);
    const double x = layout.plot.left + share * (layout.plot.right - layout.plot.left);
    return static_cast<int>(std::lround(std::clamp(x, -30000.0, 30000.0)));
}

int YOf(const TrendLayout& layout, double volts) {
    const double share = (volts - layout.volts.low) / (layout.volts.high - layout.volts.low);
    // Far off-screen values are clamped so that GDI's 16-bit coordinates on old systems never wrap.
    const double y = layout.plot.bottom - share * (layout.plot.bottom - layout.plot.top);
    return static_cast<int>(std::lround(std::clamp(y, -30000.0, 30000.0)));
}

// The drawn data's volt range, over every visible column.
std::optional<VoltRange> DataVolts(const std::vector<std::vector<TrendColumn>>& columns,
                                   const std::vector<TrendSeries>& drawn, const std::vector<size_t>& unitSlot) {
    std::optional<VoltRange> range;
    for (const TrendSeries& series : drawn) {
        for (const TrendColumn& column : columns[unitSlot[series.unit]]) {
            const float low = column.min[series.channel];
            const float high = column.max[series.channel];
            if (IsGap(low)) continue;
            if (!range) range = VoltRange{low, high};
            range->low = std::min<double>(range->low, low);
            range->high = std::max<double>(range->high, high);
        }
    }
    return range;
}

// One series as runs of points: each column adds its minimum and maximum, so
// a spike anywhere in it shows; a column with a failed poll breaks the line.
void DrawSeries(HDC dc, const TrendLayout& layout, const std::vector<TrendColumn>& columns, size_t channel) {
    std::vector<POINT> run;
    auto flush = [&] {
        if (run.size() == 1) run.push_back({run[0].x + 1, run[0].y});  // a lone poll shows as a dot
        if (!run.empty()) Polyline(dc, run.data(), static_cast<int>(run.size()));
        run.clear();
    };
    for (const TrendColumn& column : columns) {
        if (IsGap(column.min[channel])) {
            flush();
            continue;
        }
        if (column.hasGap) flush();
        const int x = XOf(layout, column.firstTime + (column.lastTime - column.firstTime) / 2);
        run.push_back({x, YOf(layout, column.min[channel])});
        if (column.max[channel] != column.min[channel]) run.push_back({x, YOf(layout, column.max[channel])});
        if (column.hasGap) flush();
    }
    flush();
}

}  // namespace

TrendMs TrendLayout::TimeAt(int x) const {
    const double share = static_cast<double>(x - plot.left) / std::max<LONG>(1, plot.right - plot.left);
    return span.begin + static_cast<TrendMs>(std::llround(share * (span.end - span.begin)));
}

double TrendLayout::VoltsAt(int y) const {
    const double share = static_cast<double>(plot.bottom - y) / std::max<LONG>(1, plot.bottom - plot.top);
    return volts.low + share * (volts.high - volts.low);
}

TrendMs TrendLayout::MsPerPixel() const {
    return std::max<TrendMs>(1, (span.end - span.begin) / std::max<LONG>(1, plot.right - plot.left));
}

COLORREF SeriesColour(const TrendSeries& series) {
    // Hues a golden angle apart: neighbours differ, and a series keeps its colour.
    const double hue = std::fmod((series.unit * 4 + series.channel) * 0.618033988749895, 1.0) * 6;
    const int sector = static_cast<int>(hue);
    const double f = hue - sector;
    const double v = 0.8, s = 0.85;
    const double p = v * (1 - s), q = v * (1 - s * f), t = v * (1 - s * (1 - f));
    const double rgb[6][3] = {{v, t, p}, {q, v, p}, {p, v, t}, {p, q, v}, {t, p, v}, {v, p, q}};
    const double* c = rgb[sector % 6];
    return RGB(static_cast<int>(c[0] * 255), static_cast<int>(c[1] * 255), static_cast<int>(c[2] * 255));
}

TrendLayout PaintTrend(HDC dc, const RECT& area, const TrendPicture& picture) {
    HBRUSH background = CreateSolidBrush(kBackground);
    FillRect(dc, &area, background);
    DeleteObject(background);
    const HGDIOBJ oldFont = SelectObject(dc, picture.font ? picture.font : GetStockObject(DEFAULT_GUI_FONT));
    SetBkMode(dc, TRANSPARENT);
    TEXTMETRICW metrics{};
    GetTextMetricsW(dc, &metrics);
    const int line = metrics.tmHeight;
    const int gap = Scaled(dc, 4);
    SIZE labelSize{};
    GetTextExtentPoint32W(dc, L"-000.000", 8, &labelSize);

    TrendLayout layout;
    layout.plot = {area.left + labelSize.cx + 2 * gap, area.top + line / 2 + gap, area.right - gap - labelSize.cx / 2,
                   area.bottom - 2 * line - gap};
    layout.span = picture.span;
    const int width = std::max(1, static_cast<int>(layout.plot.right - layout.plot.left));

    // One call per unit: its four channels share their polls' times.
    const TrendHistory& history = *picture.history;
    constexpr size_t kNotDrawn = SIZE_MAX;
    std::vector<size_t> unitSlot(history.UnitCount(), kNotDrawn);
    std::vector<std::vector<TrendColumn>> columns;
    for (const TrendSeries& series : picture.drawn) {
        if (unitSlot[series.unit] != kNotDrawn) continue;
        unitSlot[series.unit] = columns.size();
        columns.push_back(history.Columns(series.unit, picture.span, static_cast<size_t>(width)));
    }
    const std::optional<VoltRange> data = DataVolts(columns, picture.drawn, unitSlot);
    layout.volts = picture.volts ? *picture.volts : data ? FitVolts(data->low, data->high) : VoltRange{0, 5};

    {
        Selected gridPen(dc, CreatePen(PS_SOLID, 1, kGrid));
        SetTextColor(dc, kAxisText);
        const int mostTimeTicks = std::max(2, width / static_cast<int>(labelSize.cx * 2));
        for (const TimeTick& tick : TimeTicks(layout.span.begin, layout.span.end, mostTimeTicks)) {
            const int x = XOf(layout, tick.time);
            MoveToEx(dc, x, layout.plot.top, nullptr);
            LineTo(dc, x, layout.plot.bottom);
            Text(dc, x, layout.plot.bottom + gap, tick.label, TA_CENTER | TA_TOP);
        }
        for (const VoltTick& tick : VoltTicks(layout.volts, kMostVoltTicks)) {
            const int y = YOf(layout, tick.volts);
            MoveToEx(dc, layout.plot.left, y, nullptr);
            LineTo(dc, layout.plot.right, y);
            Text(dc, layout.plot.left - gap, y - line / 2, tick.label, TA_RIGHT | TA_TOP);
        }
    }
    {
        Selected framePen(dc, CreatePen(PS_SOLID, 1, kAxisText));
        const HGDIOBJ oldBrush = SelectObject(dc, GetStockObject(NULL_BRUSH));
        Rectangle(dc, layout.plot.left, layout.plot.top, layout.plot.right + 1, layout.plot.bottom + 1);
        SelectObject(dc, oldBrush);
    }

    const int saved = SaveDC(dc);
    IntersectClipRect(dc, layout.plot.left + 1, layout.plot.top + 1, layout.plot.right, layout.plot.bottom);
    for (const TrendSeries& series : picture.drawn) {
        Selected pen(dc, CreatePen(PS_SOLID, Scaled(dc, 1), SeriesColour(series)));
        DrawSeries(dc, layout, columns[unitSlot[series.unit]], series.channel);
    }
    for (const LimitLine& limit : LimitLines(picture.limits, picture.drawn)) {
        const COLORREF colour = limit.high ? kHighLimitColour : kLowLimitColour;
        Selected pen(dc, CreatePen(PS_DASH, 1, colour));
        const int y = YOf(layout, limit.volts);
        MoveToEx(dc, layout.plot.left, y, nullptr);
        LineTo(dc, layout.plot.right, y);
        SetTextColor(dc, colour);
        Text(dc, layout.plot.right - gap, y - line - 1,
             TrendText::kChannelNames[limit.channel] +
                 std::string(limit.high ? TrendText::kHighLimit : TrendText::kLowLimit),
             TA_RIGHT | TA_TOP);
    }
    if (picture.markers != nullptr) {
        Selected pen(dc, CreatePen(PS_DOT, 1, kMarkerColour));
        SetTextColor(dc, kMarkerColour);
        const std::vector<TrendMs>& times = picture.markers->Times();
        for (size_t m = 0; m < times.size(); ++m) {
            const int x = XOf(layout, times[m]);
            MoveToEx(dc, x, layout.plot.top, nullptr);
            LineTo(dc, x, layout.plot.bottom);
            Text(dc, x + gap, layout.plot.top + gap, std::to_string(m + 1), TA_LEFT | TA_TOP);
        }
    }
    RestoreDC(dc, saved);
    SelectObject(dc, oldFont);
    return layout;
}
