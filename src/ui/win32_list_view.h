#pragma once
#include <windows.h>
// After windows.h, which it needs.
#include <commctrl.h>

#include <map>
#include <utility>

#include "list_view.h"

// ListView on a real list-view control of a dialog. The control must exist
// when an operation is called; Attach names it.
class Win32ListView : public ListView {
public:
    void Attach(HWND control) { m_control = control; }
    HWND Handle() const { return m_control; }

    void InsertColumn(int index, const std::string& title, int widthPx) override;
    void DeleteColumn(int index) override;
    void InsertRow(int index, const std::string& text) override;
    void SetCellText(int row, int column, const std::string& text) override;
    void DeleteRow(int index) override;
    void DeleteAllRows() override;
    int RowCount() override;
    std::string CellText(int row, int column) override;
    void SetTextBackgroundColour(uint32_t colour) override;
    void SetTextColour(uint32_t colour) override;
    void SetCellColours(int row, int column, const std::optional<CellColours>& colours) override;
    void SetExtendedStyles(uint32_t styles) override;
    void SetRowHeight(int pixels) override;

    // The control's NM_CUSTOMDRAW, which its dialog passes on: the cells with
    // colours of their own get them. Returns the dialog's answer (CDRF_...).
    LRESULT OnCustomDraw(NMLVCUSTOMDRAW& draw) const;

private:
    HWND m_control = nullptr;
    COLORREF m_textColour = 0;
    COLORREF m_background = 0;
    std::map<std::pair<int, int>, CellColours> m_cellColours;  // by row and column
};
