#pragma once
#include <cstdint>
#include <optional>
#include <string>

// A colour as the window system keeps it: red in the low byte, then green and blue.
constexpr uint32_t RgbColour(uint8_t red, uint8_t green, uint8_t blue) {
    return uint32_t{red} | uint32_t{green} << 8 | uint32_t{blue} << 16;
}

// A cell's own colours, over the list's.
struct CellColours {
    uint32_t text;
    uint32_t background;
    bool operator==(const CellColours& other) const { return text == other.text && background == other.background; }
};

// One report-style list view: each operation is one message to the control.
// Rows and columns count from 0; texts are UTF-8. Win32ListView wraps a real
// control; tests use a fake that keeps the table.
class ListView {
public:
    virtual ~ListView() = default;

    // A left-aligned column at `index`, `widthPx` pixels wide.
    virtual void InsertColumn(int index, const std::string& title, int widthPx) = 0;
    // Does nothing when there is no such column.
    virtual void DeleteColumn(int index) = 0;

    // A new row at `index` whose first cell reads `text`; its other cells are empty.
    virtual void InsertRow(int index, const std::string& text) = 0;
    // Does nothing when there is no such row.
    virtual void SetCellText(int row, int column, const std::string& text) = 0;
    // Does nothing when there is no such row.
    virtual void DeleteRow(int index) = 0;
    virtual void DeleteAllRows() = 0;
    virtual int RowCount() = 0;
    // Empty when there is no such cell.
    virtual std::string CellText(int row, int column) = 0;

    virtual void SetTextBackgroundColour(uint32_t colour) = 0;
    virtual void SetTextColour(uint32_t colour) = 0;
    // One cell in colours of its own, or (none) back in the list's. Deleting
    // the rows takes their colours along.
    virtual void SetCellColours(int row, int column, const std::optional<CellColours>& colours) = 0;
    // Replaces the whole set of extended styles.
    virtual void SetExtendedStyles(uint32_t styles) = 0;
    // Makes every row `pixels` high.
    virtual void SetRowHeight(int pixels) = 0;
};
