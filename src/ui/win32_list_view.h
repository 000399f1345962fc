#pragma once
#include <windows.h>

#include "list_view.h"

// ListView on a real list-view control of a dialog. The control must exist
// when an operation is called; Attach names it.
class Win32ListView : public ListView {
public:
    void Attach(HWND control) { m_control = control; }

    void InsertColumn(int index, const std::string& title, int widthPx) override;
    void DeleteColumn(int index) override;
    void InsertRow(int index, const std::string& text) override;
    void SetCellText(int row, int column, const std::string& text) override;
    void DeleteAllRows() override;
    int RowCount() override;
    std::string CellText(int row, int column) override;
    void SetTextBackgroundColour(uint32_t colour) override;
    void SetTextColour(uint32_t colour) override;
    void SetExtendedStyles(uint32_t styles) override;
    void SetRowHeight(int pixels) override;

private:
    HWND m_control = nullptr;
};
