#include "multi_unit_dlg.h"

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "control_number.h"
#include "port_list.h"
#include "resource.h"

namespace {

struct Column {
    const char* title;
    int widthPx;
};

// The table's columns, list by list, and the colour band behind each list's text.
struct ListLayout {
    uint32_t background;
    std::array<Column, 2> columns;
    size_t columnCount;
};

constexpr uint32_t kGreen = RgbColour(0, 180, 0);
constexpr uint32_t kYellow = RgbColour(200, 200, 40);
constexpr uint32_t kBlueText = RgbColour(0, 0, 255);

constexpr std::array<ListLayout, kTableListCount> kLayouts = {{
    {kGreen, {{{"设备地址", 60}, {"电池1电压(V)", 90}}}, 2},
    {kYellow, {{{"电池2电压(V)", 90}}}, 1},
    {kGreen, {{{"电池3电压(V)", 90}}}, 1},
    {kYellow, {{{"电池4电压(V)", 90}}}, 1},
    {kGreen, {{{"成功次数", 90}, {"失败次数", 90}}}, 2},
}};

// Gridlines, header drag and drop, one-click activate, flat scroll bars.
constexpr uint32_t kExtendedStyles = 0x151;
constexpr int kRowHeightPx = 19;

}  // namespace

CMultiUnitDlg::CMultiUnitDlg(DialogWindow& window, const UnitTable& table, MultiUnitState& cycle, Clock& clock,
                             const MultiUnitFiles& files, SystemPorts& ports, const AlarmParts& alarms)
    : m_window(window),
      m_table(table),
      m_cycle(cycle),
      m_clock(clock),
      m_files(files),
      m_ports(ports),
      m_alarm(alarms) {}

bool CMultiUnitDlg::OnInitDialog() {
    RefreshPortList();
    m_window.SetComboSelection(IDC_COMBO_MU_PORT, 0);  // "COM1"
    m_window.SetComboSelection(IDC_COMBO_MU_BAUD, 3);  // "9600"
    m_window.SetText(IDC_EDIT_FIRST_ADDRESS, "1");
    m_window.SetText(IDC_EDIT_DEVICE_COUNT, "16");
    m_window.SetText(IDC_EDIT_PERIOD, "500");

    // Set once: rebuilding the rows and columns later keeps them.
    for (size_t list = 0; list < kTableListCount; ++list) {
        m_table[list]->SetRowHeight(kRowHeightPx);
        m_table[list]->SetTextBackgroundColour(kLayouts[list].background);
        m_table[list]->SetTextColour(kBlueText);
        InsertColumns(list);
    }
    for (ListView* list : m_table) list->SetExtendedStyles(kExtendedStyles);
    LoadLimits();
    return true;
}

void CMultiUnitDlg::OnCommand(int id) {
    if (id == IDC_BTN_ACQUIRE) OnAcquire();
    if (id == IDC_BTN_EXCEL) OnExcel();
    if (id == IDC_BTN_ALARM_SETTINGS) OnAlarmSettings();
    if (id == IDC_BTN_ALARM_JOURNAL) m_alarm.windows.ShowJournal();
}

void CMultiUnitDlg::OnDropDown(int id) {
    if (id == IDC_COMBO_MU_PORT) RefreshPortList();
}

// The list as the machine's ports are now, an adapter plugged in or pulled
// out since included. The selection stays on its port while that is listed.
void CMultiUnitDlg::RefreshPortList() {
    const std::string selected = m_window.GetText(IDC_COMBO_MU_PORT);
    const std::vector<std::string> items = PortListItems(m_ports.Names());
    m_window.SetComboItems(IDC_COMBO_MU_PORT, items);
    const auto kept = std::find(items.begin(), items.end(), selected);
    if (kept != items.end()) m_window.SetComboSelection(IDC_COMBO_MU_PORT, static_cast<int>(kept - items.begin()));
}

void CMultiUnitDlg::InsertColumns(size_t list) {
    const ListLayout& layout = kLayouts[list];
    for (size_t column = 0; column < layout.columnCount; ++column) {
        m_table[list]->InsertColumn(static_cast<int>(column), layout.columns[column].title,
                                    layout.columns[column].widthPx);
    }
}

// Rows from scratch, one per unit, labelled with their addresses.
void CMultiUnitDlg::RebuildTable() {
    for (size_t list = 0; list < kTableListCount; ++list) {
        m_table[list]->DeleteAllRows();
        // Deleting column 0 three times removes any list's columns: none has more than two.
        for (int i = 0; i < 3; ++i) m_table[list]->DeleteColumn(0);
        InsertColumns(list);
    }
    for (int32_t row = 0; row < m_cycle.deviceCount; ++row) {
        m_table[0]->InsertRow(row, std::to_string(int64_t{m_cycle.firstAddress} + row));
        for (size_t list = 1; list < kTableListCount; ++list) m_table[list]->InsertRow(row, "");
    }
}

// The seven columns with their titles, and every row's cells as the lists hold them.
ShownTable CMultiUnitDlg::TableAsShown() {
    ShownTable shown;
    for (const ListLayout& layout : kLayouts) {
        for (size_t column = 0; column < layout.columnCount; ++column)
            shown.titles.push_back(layout.columns[column].title);
    }
    for (int row = 0; row < m_table[0]->RowCount(); ++row) {
        std::vector<std::string> cells;
        for (size_t list = 0; list < kTableListCount; ++list) {
            for (size_t column = 0; column < kLayouts[list].columnCount; ++column) {
                cells.push_back(m_table[list]->CellText(row, static_cast<int>(column)));
            }
        }
        shown.rows.push_back(std::move(cells));
    }
    return shown;
}

int32_t CMultiUnitDlg::ReadNumber(int id) { return ReadSignedDecimal(m_window.GetText(id)); }
