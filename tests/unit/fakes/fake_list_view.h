#pragma once
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "list_view.h"

// A list view that keeps its table for the tests to read. Like the control,
// it ignores operations on rows and columns that do not exist.
class FakeListView : public ListView {
public:
    using Column = std::pair<std::string, int>;  // title, width

    void InsertColumn(int index, const std::string& title, int widthPx) override {
        if (index >= 0 && static_cast<size_t>(index) <= columns.size())
            columns.insert(columns.begin() + index, {title, widthPx});
    }
    void DeleteColumn(int index) override {
        if (index >= 0 && static_cast<size_t>(index) < columns.size()) columns.erase(columns.begin() + index);
    }
    void InsertRow(int index, const std::string& text) override {
        if (index >= 0 && static_cast<size_t>(index) <= rows.size()) rows.insert(rows.begin() + index, {text});
    }
    void SetCellText(int row, int column, const std::string& text) override {
        if (row < 0 || static_cast<size_t>(row) >= rows.size() || column < 0) return;
        std::vector<std::string>& cells = rows[static_cast<size_t>(row)];
        if (cells.size() <= static_cast<size_t>(column)) cells.resize(static_cast<size_t>(column) + 1);
        cells[static_cast<size_t>(column)] = text;
    }
    void DeleteRow(int index) override {
        if (index >= 0 && static_cast<size_t>(index) < rows.size()) rows.erase(rows.begin() + index);
    }
    void DeleteAllRows() override {
        rows.clear();
        cellColours.clear();
    }
    int RowCount() override { return static_cast<int>(rows.size()); }
    std::string CellText(int row, int column) override {
        return row < 0 || column < 0 ? std::string() : Cell(static_cast<size_t>(row), static_cast<size_t>(column));
    }
    void SetTextBackgroundColour(uint32_t colour) override { background = colour; }
    void SetTextColour(uint32_t colour) override { textColour = colour; }
    void SetCellColours(int row, int column, const std::optional<CellColours>& colours) override {
        if (colours) {
            cellColours[{row, column}] = *colours;
        } else {
            cellColours.erase({row, column});
        }
    }
    void SetExtendedStyles(uint32_t styles) override { extendedStyles = styles; }
    void SetRowHeight(int pixels) override { rowHeight = pixels; }

    // The text of a cell; empty for one never written.
    std::string Cell(size_t row, size_t column) const {
        return row < rows.size() && column < rows[row].size() ? rows[row][column] : std::string();
    }

    std::vector<Column> columns;
    std::vector<std::vector<std::string>> rows;
    uint32_t background = 0;
    uint32_t textColour = 0;
    std::map<std::pair<int, int>, CellColours> cellColours;  // by row and column
    uint32_t extendedStyles = 0;
    int rowHeight = 0;
};
