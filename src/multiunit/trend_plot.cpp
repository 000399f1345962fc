#include "trend_plot.h"

#include <windowsx.h>

#include <algorithm>

namespace {

// A press that moves no further than this is a click, not a drag.
constexpr int kDragSlopPx = 3;
// A click this close to a marker hits it.
constexpr int kMarkerHitPx = 4;
constexpr double kWheelZoomIn = 0.8;

// A bitmap-backed memory DC of the given size, for drawing without flicker.
class MemoryCanvas {
public:
    MemoryCanvas(HDC like, int width, int height)
        : m_dc(CreateCompatibleDC(like)),
          m_bitmap(CreateCompatibleBitmap(like, width, height)),
          m_old(SelectObject(m_dc, m_bitmap)) {}
    ~MemoryCanvas() {
        SelectObject(m_dc, m_old);
        if (m_bitmap) DeleteObject(m_bitmap);
        DeleteDC(m_dc);
    }
    MemoryCanvas(const MemoryCanvas&) = delete;
    MemoryCanvas& operator=(const MemoryCanvas&) = delete;
    HDC Dc() const { return m_dc; }
    // Hands the bitmap over, out of the DC.
    HBITMAP Release() {
        SelectObject(m_dc, m_old);
        const HBITMAP bitmap = m_bitmap;
        m_bitmap = nullptr;
        return bitmap;
    }

private:
    HDC m_dc;
    HBITMAP m_bitmap;
    HGDIOBJ m_old;
};

TrendMs Newest(const TrendHistory& history) {
    const std::optional<TrendSpan> span = history.Span();
    return span ? span->end : 0;
}

}  // namespace

void TrendPlot::Register(HINSTANCE instance) {
    WNDCLASSW windowClass{};
    windowClass.style = CS_HREDRAW | CS_VREDRAW;
    windowClass.lpfnWndProc = WindowProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursor(nullptr, IDC_CROSS);
    windowClass.lpszClassName = kClassName;
    // Fails harmlessly when the class exists from an earlier window.
    RegisterClassW(&windowClass);
}

void TrendPlot::Attach(HWND control, HFONT font) {
    m_control = control;
    m_font = font;
    SetWindowLongPtrW(control, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
}

LRESULT CALLBACK TrendPlot::WindowProc(HWND control, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* plot = reinterpret_cast<TrendPlot*>(GetWindowLongPtrW(control, GWLP_USERDATA));
    if (message == WM_NCDESTROY) SetWindowLongPtrW(control, GWLP_USERDATA, 0);
    // Messages before Attach (WM_CREATE...) and after the window goes get the default.
    if (plot == nullptr || message == WM_NCDESTROY) return DefWindowProcW(control, message, wParam, lParam);
    return plot->Handle(message, wParam, lParam);
}

LRESULT TrendPlot::Handle(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_PAINT: Paint(); return 0;
    case WM_ERASEBKGND: return 1;                                 // the paint covers every pixel
    case WM_GETDLGCODE: return DLGC_WANTARROWS | DLGC_WANTCHARS;  // End and Ctrl+C reach us; Tab still leaves
    case WM_KEYDOWN:
        if (wParam == VK_END) ReturnToLive();
        if (wParam == 'C' && GetKeyState(VK_CONTROL) < 0) Copy();
        return 0;
    case WM_COPY: Copy(); return 0;
    case WM_MOUSEWHEEL: {
        POINT point{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
        OnWheel(GET_WHEEL_DELTA_WPARAM(wParam), point, (GET_KEYSTATE_WPARAM(wParam) & MK_SHIFT) != 0);
        return 0;
    }
    case WM_LBUTTONDOWN:
        SetFocus(m_control);
        SetCapture(m_control);
        m_leftDown = true;
        m_panned = false;
        m_dragX = GET_X_LPARAM(lParam);
        return 0;
    case WM_MOUSEMOVE: {
        const int x = GET_X_LPARAM(lParam);
        if (m_leftDown && (m_panned || std::abs(x - m_dragX) > kDragSlopPx)) {
            m_panned = true;
            m_view.viewport.Pan((m_dragX - x) * m_layout.MsPerPixel());
            m_dragX = x;
            Changed();
        }
        return 0;
    }
    case WM_LBUTTONUP:
        if (m_leftDown) {
            m_leftDown = false;
            ReleaseCapture();
            if (!m_panned) OnLeftUp(GET_X_LPARAM(lParam));
        }
        return 0;
    case WM_RBUTTONDOWN:
        SetFocus(m_control);
        SetCapture(m_control);
        m_rightDown = true;
        m_boxTopY = GET_Y_LPARAM(lParam);
        return 0;
    case WM_RBUTTONUP:
        if (m_rightDown) {
            m_rightDown = false;
            ReleaseCapture();
            OnRightUp(GET_Y_LPARAM(lParam));
        }
        return 0;
    case WM_CAPTURECHANGED: m_leftDown = m_rightDown = false; return 0;
    default: return DefWindowProcW(m_control, message, wParam, lParam);
    }
}

TrendPicture TrendPlot::Picture() const {
    TrendPicture picture;
    picture.history = m_view.history;
    picture.drawn = m_view.drawn;
    picture.span = m_view.viewport.Span();
    picture.volts = m_view.viewport.Volts();
    picture.markers = &m_view.markers;
    picture.limits = m_view.limits;
    picture.font = m_font;
    return picture;
}

void TrendPlot::Paint() {
    PAINTSTRUCT paint{};
    const HDC dc = BeginPaint(m_control, &paint);
    RECT client{};
    GetClientRect(m_control, &client);
    if (client.right > 0 && client.bottom > 0) {
        MemoryCanvas canvas(dc, client.right, client.bottom);
        m_layout = PaintTrend(canvas.Dc(), client, Picture());
        BitBlt(dc, 0, 0, client.right, client.bottom, canvas.Dc(), 0, 0, SRCCOPY);
    }
    EndPaint(m_control, &paint);
}

HBITMAP TrendPlot::Render() const {
    RECT client{};
    GetClientRect(m_control, &client);
    const HDC screen = GetDC(m_control);
    MemoryCanvas canvas(screen, std::max<LONG>(1, client.right), std::max<LONG>(1, client.bottom));
    ReleaseDC(m_control, screen);
    PaintTrend(canvas.Dc(), client, Picture());
    return canvas.Release();
}

void TrendPlot::Copy() const {
    if (!OpenClipboard(m_control)) return;
    EmptyClipboard();
    const HBITMAP bitmap = Render();
    // The clipboard owns the bitmap once it took it.
    if (SetClipboardData(CF_BITMAP, bitmap) == nullptr) DeleteObject(bitmap);
    CloseClipboard();
}

void TrendPlot::OnWheel(short delta, POINT screenPoint, bool volts) {
    ScreenToClient(m_control, &screenPoint);
    const double factor = delta > 0 ? kWheelZoomIn : 1 / kWheelZoomIn;
    if (volts) {
        m_view.viewport.ZoomVolts(factor, m_layout.VoltsAt(screenPoint.y), m_layout.volts);
    } else {
        m_view.viewport.ZoomTime(factor, m_layout.TimeAt(screenPoint.x));
    }
    Changed();
}

void TrendPlot::OnLeftUp(int x) {
    if (m_view.history == nullptr) return;
    m_view.markers.Click(*m_view.history, m_view.drawn, m_layout.TimeAt(x), kMarkerHitPx * m_layout.MsPerPixel());
    Changed();
}

// A box shorter than a drag is a right click: the volts fit the data again.
void TrendPlot::OnRightUp(int y) {
    if (std::abs(y - m_boxTopY) <= kDragSlopPx) {
        m_view.viewport.FitVolts();
    } else {
        const double a = m_layout.VoltsAt(m_boxTopY);
        const double b = m_layout.VoltsAt(y);
        m_view.viewport.SetVolts({std::min(a, b), std::max(a, b)});
    }
    Changed();
}

void TrendPlot::ReturnToLive() {
    if (m_view.history != nullptr) m_view.viewport.ReturnToLive(Newest(*m_view.history));
    Changed();
}

void TrendPlot::Changed() {
    Redraw();
    SendMessageW(GetParent(m_control), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(m_control), BN_CLICKED),
                 reinterpret_cast<LPARAM>(m_control));
}
