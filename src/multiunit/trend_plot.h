#pragma once
#include <windows.h>

#include <vector>

#include "trend_history.h"
#include "trend_markers.h"
#include "trend_painter.h"
#include "trend_viewport.h"

// What the trend window shows, shared by its plot and its list and readout.
struct TrendView {
    const TrendHistory* history = nullptr;
    std::vector<TrendSeries> drawn;
    TrendViewport viewport;
    TrendMarkers markers;
    AlarmLimits limits;
};

// The plot control (window class kTrendPlotClass in a dialog template):
// paints the view double-buffered, and turns the mouse and keys into
// navigation and markers. It tells its parent of a changed view with a
// WM_COMMAND click notification of its own id.
class TrendPlot {
public:
    static constexpr const wchar_t* kClassName = L"LumericTrendPlot";
    // Registers the window class once per process.
    static void Register(HINSTANCE instance);

    explicit TrendPlot(TrendView& view) : m_view(view) {}
    // `font` is the window's: the axes' texts match its controls'.
    void Attach(HWND control, HFONT font);
    void Redraw() const { InvalidateRect(m_control, nullptr, FALSE); }
    // The view as a bitmap of the control's size; the caller deletes it.
    HBITMAP Render() const;
    // Ctrl+C: the picture to the clipboard as a bitmap.
    void Copy() const;

private:
    static LRESULT CALLBACK WindowProc(HWND control, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam);
    void Paint();
    TrendPicture Picture() const;
    void OnWheel(short delta, POINT screenPoint, bool volts);
    void OnLeftUp(int x);
    void OnRightUp(int y);
    void ReturnToLive();
    void Changed();

    TrendView& m_view;
    HFONT m_font = nullptr;
    HWND m_control = nullptr;
    TrendLayout m_layout;  // of the last paint
    // A left drag pans; a left click without one places a marker.
    bool m_leftDown = false;
    bool m_panned = false;
    int m_dragX = 0;
    // A right drag draws a box whose height becomes the volt range.
    bool m_rightDown = false;
    int m_boxTopY = 0;
};
