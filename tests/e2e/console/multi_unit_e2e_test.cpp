// The multi-unit windows of the real Lumeric.exe under Wine, driven from
// outside, against simulated units (stations 1 to 4, or 1 to 3 for the
// records, at 9600 bit/s) on one line linked as COM $LUMERIC_COM, a number
// the window's list can show.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

#include "console_driver.h"
#include "list_view_reader.h"
#include "resource.h"
#include "sim_control.h"

namespace {

constexpr wchar_t kCaption[] = L"Corvane多台";
constexpr int kTableLists[] = {IDC_LIST_BAT1, IDC_LIST_BAT2, IDC_LIST_BAT3, IDC_LIST_BAT4, IDC_LIST_COUNTS};

std::wstring Cell(HWND window, int list, int row, int column) {
    return ListViewCell(GetDlgItem(window, list), row, column);
}

int Count(HWND window, int row, int column) { return _wtoi(Cell(window, IDC_LIST_COUNTS, row, column).c_str()); }

// A row of the table as shown: address and 电池1 to 电池4.
std::vector<std::wstring> Values(HWND window, int row) {
    return {Cell(window, IDC_LIST_BAT1, row, 0), Cell(window, IDC_LIST_BAT1, row, 1), Cell(window, IDC_LIST_BAT2, row, 0),
            Cell(window, IDC_LIST_BAT3, row, 0), Cell(window, IDC_LIST_BAT4, row, 0)};
}

// The template's look and what the window told its controls, as the real controls report it.
void ExpectTemplateAndSetUp(HWND window, HWND console) {
    EXPECT_EQ(GetWindow(window, GW_OWNER), console);
    EXPECT_NE(GetWindowLongW(window, GWL_STYLE) & WS_MINIMIZEBOX, 0);
    EXPECT_NE(GetWindowLongW(window, GWL_EXSTYLE) & WS_EX_APPWINDOW, 0);
    EXPECT_TRUE(IsWindowVisible(GetDlgItem(window, IDC_BTN_EXCEL)));
    EXPECT_TRUE(IsWindowVisible(GetDlgItem(window, IDC_CHECK_SAVE_RECORD)));
    EXPECT_EQ(ConsoleDriver::SendToIn(window, IDC_COMBO_MU_PORT, CB_GETCOUNT), 12);
    EXPECT_EQ(ConsoleDriver::TextIn(window, IDC_COMBO_MU_PORT), L"COM1");
    EXPECT_EQ(ConsoleDriver::TextIn(window, IDC_COMBO_MU_BAUD), L"9600");
    const COLORREF bands[] = {RGB(0, 180, 0), RGB(200, 200, 40), RGB(0, 180, 0), RGB(200, 200, 40), RGB(0, 180, 0)};
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(static_cast<COLORREF>(ConsoleDriver::SendToIn(window, kTableLists[i], LVM_GETTEXTBKCOLOR)), bands[i]);
        EXPECT_EQ(ConsoleDriver::SendToIn(window, kTableLists[i], LVM_GETEXTENDEDLISTVIEWSTYLE), 0x151);
    }
}

TEST(MultiUnitTest, WindowsBesideTheConsoleFillTheirTableFromFourUnitsUntilEscapeOrEnterEndsThem) {
    ASSERT_GT(ComNumber(), 0) << "LUMERIC_COM is not set";
    ASSERT_LE(ComNumber(), 12) << "the window's port list ends at COM12";
    SimControl sim;
    ASSERT_EQ(sim.Command("fault 3 silent").substr(0, 2), "ok");
    ASSERT_EQ(sim.Command("set 2 voltage 4 65535").substr(0, 2), "ok");
    ConsoleDriver console;
    ASSERT_TRUE(console.Start()) << "Lumeric.exe did not show its window";

    // The console lets its port go; each press opens another window.
    console.SetText(IDC_COMBO_PORT, std::to_wstring(ComNumber()));
    ASSERT_TRUE(console.Click(IDC_BTN_OPEN));
    ASSERT_EQ(console.Text(IDC_BTN_OPEN), L"关闭串口");
    std::vector<HWND> windows;
    for (int press = 0; press < 2; ++press) {
        console.Click(IDC_BTN_MULTI);
        windows.push_back(console.WaitForNewWindow(kCaption, windows, 10000));
        ASSERT_NE(windows.back(), nullptr);
    }
    EXPECT_EQ(console.Text(IDC_BTN_OPEN), L"打开串口");
    EXPECT_EQ(console.Windows(kCaption).size(), 2u);
    ExpectTemplateAndSetUp(windows[0], console.Window());

    const std::vector<std::vector<std::wstring>> shown = {
        {L"1", L"1.234", L"0.000", L"0.000", L"0.000"},
        {L"2", L"1.234", L"0.000", L"0.000", L"65.535"},
        {L"3", L"通讯故障", L"——", L"——", L"——"},
        {L"4", L"1.234", L"0.000", L"0.000", L"0.000"},
    };
    const WPARAM keys[] = {VK_ESCAPE, VK_RETURN};
    for (int i = 0; i < 2; ++i) {
        HWND window = windows[i];
        ConsoleDriver::SendToIn(window, IDC_COMBO_MU_PORT, CB_SETCURSEL, ComNumber() - 1);
        ConsoleDriver::SetTextIn(window, IDC_EDIT_DEVICE_COUNT, L"4");
        ASSERT_TRUE(console.ClickIn(window, IDC_BTN_ACQUIRE));
        ASSERT_EQ(ConsoleDriver::TextIn(window, IDC_BTN_ACQUIRE), L"停止");

        ASSERT_TRUE(WaitUntil([&] { return Count(window, 3, 0) >= 2 && Count(window, 2, 1) >= 2; }, 20000));
        for (int row = 0; row < 4; ++row) {
            EXPECT_EQ(Values(window, row), shown[row]) << row;
            EXPECT_EQ(Count(window, row, row == 2 ? 0 : 1), 0) << row;
        }

        ConsoleDriver::PressKeyIn(window, IDC_EDIT_PERIOD, keys[i]);
        ASSERT_TRUE(WaitUntil([&] { return !IsWindow(window); }, 5000)) << keys[i];
        sim.Command("clearlog");
        Sleep(1500);
        EXPECT_TRUE(sim.Log().empty()) << "polls after the window went, key " << keys[i];
    }

    // The port is free again: the console opens it and reads unit 1.
    ASSERT_TRUE(console.Click(IDC_BTN_OPEN));
    ASSERT_EQ(console.Text(IDC_BTN_OPEN), L"关闭串口");
    ASSERT_TRUE(console.Click(IDC_BTN_READ_VOLTAGE));
    EXPECT_EQ(console.Text(IDC_STATIC_VOLTAGE), L"12.34V");

    // The console's end takes a window with a running cycle along, cleanly.
    ASSERT_TRUE(console.Click(IDC_BTN_MULTI));
    HWND last = console.WaitForNewWindow(kCaption, {}, 10000);
    ASSERT_NE(last, nullptr);
    ConsoleDriver::SendToIn(last, IDC_COMBO_MU_PORT, CB_SETCURSEL, ComNumber() - 1);
    ASSERT_TRUE(console.ClickIn(last, IDC_BTN_ACQUIRE));
    ASSERT_EQ(ConsoleDriver::TextIn(last, IDC_BTN_ACQUIRE), L"停止");
    console.PressKey(IDC_EDIT_ADDRESS, VK_ESCAPE);
    EXPECT_EQ(console.WaitForExit(10000), 0u);
}

std::string FileText(const std::wstring& path) {
    std::string bytes(1 << 16, '\0');
    DWORD read = 0;
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
    ReadFile(file, &bytes[0], static_cast<DWORD>(bytes.size()), &read, nullptr);  // no file: nothing read
    CloseHandle(file);
    return bytes.substr(0, read);
}

// In UTF-8; no cell of these files needs quotes.
std::string CsvLine(const std::vector<std::wstring>& cells) {
    std::wstring line;
    for (size_t i = 0; i < cells.size(); ++i) line += (i > 0 ? L"," : L"") + cells[i];
    line += L"\r\n";
    std::string utf8(line.size() * 3, '\0');
    utf8.resize(WideCharToMultiByte(CP_UTF8, 0, line.data(), static_cast<int>(line.size()), &utf8[0],
                                    static_cast<int>(utf8.size()), nullptr, nullptr));
    return utf8;
}

TEST(MultiUnitTest, ARecordedCycleWritesEveryPollAndExcelExportsTheTableAsShown) {
    SimControl sim;
    ASSERT_EQ(sim.Command("fault 2 silent").substr(0, 2), "ok");
    ConsoleDriver console;
    ASSERT_TRUE(console.Start()) << "Lumeric.exe did not show its window";
    console.Click(IDC_BTN_MULTI);
    HWND window = console.WaitForNewWindow(kCaption, {}, 10000);
    ASSERT_NE(window, nullptr);
    ConsoleDriver::SendToIn(window, IDC_COMBO_MU_PORT, CB_SETCURSEL, ComNumber() - 1);
    ConsoleDriver::SetTextIn(window, IDC_EDIT_DEVICE_COUNT, L"3");
    ConsoleDriver::SendToIn(window, IDC_CHECK_SAVE_RECORD, BM_SETCHECK, BST_CHECKED);
    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    const std::wstring file = temp + std::wstring(L"lumeric-") + std::to_wstring(GetCurrentProcessId());

    ASSERT_TRUE(console.ClickAndSaveAs(window, IDC_BTN_ACQUIRE, file + L"-record.csv"));
    ASSERT_TRUE(WaitUntil([&] { return Count(window, 1, 1) >= 2 && Count(window, 2, 0) >= 2; }, 20000));
    ASSERT_TRUE(console.ClickIn(window, IDC_BTN_ACQUIRE));
    // Poll k went to row k % 3, its (k / 3 + 1)-th; its values are those the row shows.
    const std::string record = FileText(file + L"-record.csv");
    std::string expected = "\xEF\xBB\xBF时间,设备地址,电池1电压(V),电池2电压(V),电池3电压(V),电池4电压(V),结果,成功次数,失败次数\r\n";
    int polls = 0;
    for (; expected.size() < record.size(); ++polls) {
        std::vector<std::wstring> row = Values(window, polls % 3);
        const std::wstring n = std::to_wstring(polls / 3 + 1);
        if (row[1] == L"通讯故障") row = {row[0], L"", L"", L"", L"", L"通讯故障,0," + n};
        else row.push_back(L"正常," + n + L",0");
        EXPECT_EQ(record.find('T', expected.size()), expected.size() + 10) << "local time, ISO 8601";
        expected += record.substr(expected.size(), 24) + CsvLine(row);
    }
    EXPECT_EQ(record, expected);
    EXPECT_EQ(polls, Count(window, 0, 0) + Count(window, 1, 1) + Count(window, 2, 0)) << "a line per poll";

    ASSERT_TRUE(console.ClickAndSaveAs(window, IDC_BTN_EXCEL, file + L"-table.csv"));
    std::string table = "\xEF\xBB\xBF设备地址,电池1电压(V),电池2电压(V),电池3电压(V),电池4电压(V),成功次数,失败次数\r\n";
    for (int row = 0; row < 3; ++row) {
        std::vector<std::wstring> cells = Values(window, row);
        cells.insert(cells.end(), {Cell(window, IDC_LIST_COUNTS, row, 0), Cell(window, IDC_LIST_COUNTS, row, 1)});
        table += CsvLine(cells);
    }
    EXPECT_EQ(FileText(file + L"-table.csv"), table);
    for (const wchar_t* end : {L"-record.csv", L"-table.csv"}) DeleteFileW((file + end).c_str());

    console.PressKey(IDC_EDIT_ADDRESS, VK_ESCAPE);
    EXPECT_EQ(console.WaitForExit(10000), 0u);
}

}  // namespace
