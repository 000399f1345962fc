#include "trend_window.h"

#include <algorithm>
#include <memory>
#include <string>
#include <utility>

#include "dialog_host.h"
#include "record_reader.h"
#include "resource.h"
#include "trend_files.h"
#include "trend_plot.h"
#include "trend_texts.h"
#include "win32_dialog_window.h"
#include "win32_record_io.h"
#include "win32_utf16.h"

namespace {

// The right-hand column (series list over readout) and the margins, in dialog units.
constexpr int kSideWidthDu = 110;
constexpr int kMarginDu = 4;
constexpr int kTopDu = 22;
constexpr int kSmallestWidthDu = 300;
constexpr int kSmallestHeightDu = 160;

class TrendWindow : public ModelessDialog {
public:
    explicit TrendWindow(TrendSource source) : m_source(std::move(source)), m_plot(m_view) {}

private:
    bool OnInitDialog() override {
        m_window.Attach(Handle());
        m_plot.Attach(GetDlgItem(Handle(), IDC_TREND_PLOT),
                      reinterpret_cast<HFONT>(SendMessageW(Handle(), WM_GETFONT, 0, 0)));
        ShowHistory(m_source.live);
        Layout();
        SetFocus(GetDlgItem(Handle(), IDC_TREND_PLOT));
        return false;  // the focus is set
    }

    void OnControl(int id) override {
        if (id == IDC_TREND_PLOT) ShowReadout();
        if (id == IDC_TREND_LIVE) {
            if (const std::optional<TrendSpan> span = m_view.history->Span()) m_view.viewport.ReturnToLive(span->end);
            m_plot.Redraw();
        }
        if (id == IDC_TREND_OPEN) OpenRecord();
        if (id == IDC_TREND_SAVE_IMAGE) SaveImage();
    }

    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result) override {
        switch (message) {
        case kTrendHistoryChanged: OnHistoryChanged(); return true;
        case WM_SIZE: Layout(); return true;
        case WM_GETMINMAXINFO: {
            RECT smallest{0, 0, kSmallestWidthDu, kSmallestHeightDu};
            MapDialogRect(Handle(), &smallest);
            reinterpret_cast<MINMAXINFO*>(lParam)->ptMinTrackSize = {smallest.right, smallest.bottom};
            return true;
        }
        case WM_COMMAND:
            if (LOWORD(wParam) == IDC_TREND_SERIES && HIWORD(wParam) == LBN_SELCHANGE) SelectionChanged();
            return true;
        case WM_DRAWITEM:
            if (wParam != IDC_TREND_SERIES) return false;
            DrawLegendItem(*reinterpret_cast<DRAWITEMSTRUCT*>(lParam));
            result = TRUE;
            return true;
        default: return false;
        }
    }

    // While the cycle runs the window shows it live; a record opened before
    // stays on screen until the next poll.
    void OnHistoryChanged() {
        const bool runs = m_source.cycleRuns();
        m_window.Enable(IDC_TREND_OPEN, !runs);
        if (m_view.history != &m_source.live) {
            if (!runs) return;
            ShowHistory(m_source.live);
        }
        const bool newCycle = m_source.live.PollCount() < m_shownPolls;  // its units may be others
        if (newCycle) m_view.markers.Clear();
        m_shownPolls = m_source.live.PollCount();
        if (newCycle || m_source.live.UnitCount() != m_listedUnits) ListSeries();
        m_view.limits = m_source.limits();  // the operator may have changed them meanwhile
        if (const std::optional<TrendSpan> span = m_source.live.Span()) m_view.viewport.NewestIs(span->end);
        m_plot.Redraw();
        ShowReadout();
    }

    void ShowHistory(const TrendHistory& history) {
        m_view.history = &history;
        m_view.limits = m_source.limits();
        m_view.markers.Clear();
        m_shownPolls = history.PollCount();
        m_window.Enable(IDC_TREND_OPEN, !m_source.cycleRuns());
        ListSeries();
        const std::optional<TrendSpan> span = history.Span();
        if (&history == &m_source.live) {
            m_view.viewport.ReturnToLive(span ? span->end
                                              : ToTrendMs(Win32LocalClock().Now()));  // an empty view still shows today
        } else if (span) {
            m_view.viewport.ShowAll(*span);
        }
        m_view.viewport.FitVolts();
        m_plot.Redraw();
        ShowReadout();
    }

    // Every unit's four channels, all drawn to begin with.
    void ListSeries() {
        const HWND list = GetDlgItem(Handle(), IDC_TREND_SERIES);
        SendMessageW(list, LB_RESETCONTENT, 0, 0);
        m_listed.clear();
        m_listedUnits = m_view.history->UnitCount();
        for (size_t unit = 0; unit < m_listedUnits; ++unit) {
            for (size_t channel = 0; channel < kTrendChannels; ++channel) {
                m_listed.push_back({unit, channel});
                const std::wstring name = WideFromUtf8(SeriesName(*m_view.history, m_listed.back()));
                SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name.c_str()));
            }
        }
        SendMessageW(list, LB_SETSEL, TRUE, -1);  // -1: every item
        m_view.drawn = m_listed;
    }

    void SelectionChanged() {
        const HWND list = GetDlgItem(Handle(), IDC_TREND_SERIES);
        m_view.drawn.clear();
        for (size_t i = 0; i < m_listed.size(); ++i) {
            if (SendMessageW(list, LB_GETSEL, i, 0) > 0) m_view.drawn.push_back(m_listed[i]);
        }
        m_plot.Redraw();
        ShowReadout();
    }

    // The list is the legend: each series' name beside a swatch of its colour.
    void DrawLegendItem(const DRAWITEMSTRUCT& item) {
        if (item.itemID == static_cast<UINT>(-1) || item.itemID >= m_listed.size()) return;  // -1: an empty list
        const bool selected = (item.itemState & ODS_SELECTED) != 0;
        FillRect(item.hDC, &item.rcItem, GetSysColorBrush(selected ? COLOR_HIGHLIGHT : COLOR_WINDOW));
        const int height = item.rcItem.bottom - item.rcItem.top;
        RECT swatch{item.rcItem.left + 2, item.rcItem.top + 2, item.rcItem.left + height * 2, item.rcItem.bottom - 2};
        HBRUSH colour = CreateSolidBrush(SeriesColour(m_listed[item.itemID]));
        FillRect(item.hDC, &swatch, colour);
        DeleteObject(colour);
        SetBkMode(item.hDC, TRANSPARENT);
        SetTextColor(item.hDC, GetSysColor(selected ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT));
        const std::wstring name = WideFromUtf8(SeriesName(*m_view.history, m_listed[item.itemID]));
        RECT text = item.rcItem;
        text.left = swatch.right + 4;
        DrawTextW(item.hDC, name.c_str(), static_cast<int>(name.size()), &text, DT_LEFT | DT_VCENTER | DT_SINGLELINE);
        if (item.itemState & ODS_FOCUS) DrawFocusRect(item.hDC, &item.rcItem);
    }

    void ShowReadout() {
        const std::string text = m_view.markers.Times().empty()
                                     ? NewestReadout(*m_view.history, m_view.drawn)
                                     : MarkerReadout(*m_view.history, m_view.drawn, m_view.markers);
        m_window.SetText(IDC_TREND_READOUT, text);
    }

    // The plot takes what the side column and the button row leave.
    void Layout() {
        RECT units{kMarginDu, kTopDu, kSideWidthDu, 0};
        MapDialogRect(Handle(), &units);
        const int margin = units.left, top = units.top, side = units.right;
        RECT client{};
        GetClientRect(Handle(), &client);
        const int sideLeft = client.right - margin - side;
        const int listBottom = top + (client.bottom - top) * 3 / 5;
        MoveWindow(GetDlgItem(Handle(), IDC_TREND_PLOT), margin, top, std::max(1, sideLeft - 2 * margin),
                   std::max(1L, client.bottom - margin - top), TRUE);
        MoveWindow(GetDlgItem(Handle(), IDC_TREND_SERIES), sideLeft, top, side, listBottom - top, TRUE);
        MoveWindow(GetDlgItem(Handle(), IDC_TREND_READOUT), sideLeft, listBottom + margin, side,
                   std::max(1L, client.bottom - 2 * margin - listBottom), TRUE);
    }

    void OpenRecord() {
        const std::optional<std::string> path = AskRecordPath(Handle());
        if (!path) return;
        const std::optional<std::string> bytes = ReadWholeFile(*path);
        if (!bytes) {
            m_window.ShowMessage(TrendText::kOpenFailed + std::string("\n") + *path);
            return;
        }
        auto loaded = std::make_unique<TrendHistory>();
        const RecordReading reading = ReadPollRecord(*bytes, *loaded);
        if (reading.polls == 0) {
            m_window.ShowMessage(TrendText::kNoPolls + std::string("\n") + *path);
            return;
        }
        m_loaded = std::move(loaded);
        ShowHistory(*m_loaded);
        if (reading.skipped > 0) {
            m_window.ShowMessage(TrendText::kSkippedLines + std::to_string(reading.skipped) +
                                 TrendText::kFirstSkippedLine + std::to_string(reading.firstSkippedLine));
        }
    }

    void SaveImage() {
        const std::optional<std::string> path =
            AskImagePath(Handle(), DatedFileName(TrendText::kImageFileStem, Win32LocalClock().Now(), "png"));
        if (!path) return;
        const HBITMAP image = m_plot.Render();
        const bool saved = SavePng(image, *path);
        DeleteObject(image);
        if (!saved) m_window.ShowMessage(TrendText::kImageFailed + std::string("\n") + *path);
    }

    TrendSource m_source;
    std::unique_ptr<TrendHistory> m_loaded;  // a record opened for review
    Win32DialogWindow m_window;
    TrendView m_view;
    TrendPlot m_plot;
    std::vector<TrendSeries> m_listed;  // the list's items, in order
    size_t m_listedUnits = 0;
    size_t m_shownPolls = 0;
};

}  // namespace

HWND CreateTrendWindow(HINSTANCE instance, HWND owner, TrendSource source) {
    TrendPlot::Register(instance);
    return ModelessDialog::Create(std::make_unique<TrendWindow>(std::move(source)), instance, IDD_TREND, owner);
}
