// The multi-unit windows of the real Lumeric.exe under Wine, driven from
// outside, against simulated units (stations 1 to 4, or 1 to 3 for the
// records, at 9600 bit/s) on one line linked as COM $LUMERIC_COM, a number
// the window's list can show.
#include <gtest/gtest.h>

#include <windows.h>

#include <commctrl.h>

#include <cstdio>
#include <string>
#include <vector>

#include "console_driver.h"
#include "resource.h"
#include "sim_control.h"

namespace {

constexpr int kTableLists[] = {IDC_LIST_BAT1, IDC_LIST_BAT2, IDC_LIST_BAT3, IDC_LIST_BAT4, IDC_LIST_COUNTS};

// A row of the table as shown: address and 电池1 to 电池4.
std::vector<std::wstring> Values(HWND window, int row) {
    return {TableCell(window, IDC_LIST_BAT1, row, 0), TableCell(window, IDC_LIST_BAT1, row, 1),
            TableCell(window, IDC_LIST_BAT2, row, 0), TableCell(window, IDC_LIST_BAT3, row, 0),
            TableCell(window, IDC_LIST_BAT4, row, 0)};
}

// The template's look and what the window told its controls, as the real
// controls report it; its defaults (COM1, 9600) are the unit tests' and the
// cycles below run at them.
void ExpectTemplateAndSetUp(HWND window, HWND console) {
    EXPECT_EQ(GetWindow(window, GW_OWNER), console);
    EXPECT_NE(GetWindowLongW(window, GWL_STYLE) & WS_MINIMIZEBOX, 0);
    EXPECT_NE(GetWindowLongW(window, GWL_EXSTYLE) & WS_EX_APPWINDOW, 0);
    EXPECT_TRUE(IsWindowVisible(GetDlgItem(window, IDC_BTN_EXCEL)));
    EXPECT_TRUE(IsWindowVisible(GetDlgItem(window, IDC_CHECK_SAVE_RECORD)));
    // COM1 to COM12, and a port above them that a test beside this one lists.
    EXPECT_GE(ConsoleDriver::SendToIn(window, IDC_COMBO_MU_PORT, CB_GETCOUNT), 12);
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
    // Two faulty units among good ones.
    for (const char* command : {"fault 3 silent", "fault 4 badcrc", "set 2 voltage 4 65535"})
        ASSERT_TRUE(sim.Ok(command));
    ConsoleDriver console;
    ASSERT_TRUE(console.Start()) << "Lumeric.exe did not show its window";

    // The console lets its port go; each press opens another window.
    ASSERT_TRUE(console.OpenPort(ComNumber()));
    std::vector<HWND> windows;
    for (int press = 0; press < 2; ++press) {
        windows.push_back(console.OpenMultiUnit(0, 4, -1, false));
        ASSERT_NE(windows.back(), nullptr);
    }
    EXPECT_EQ(console.Text(IDC_BTN_OPEN), L"打开串口");
    EXPECT_EQ(console.Windows(kMultiUnitCaption).size(), 2u);
    ExpectTemplateAndSetUp(windows[0], console.Window());

    const std::vector<std::vector<std::wstring>> shown = {
        {L"1", L"1.234", L"0.000", L"0.000", L"0.000"},
        {L"2", L"1.234", L"0.000", L"0.000", L"65.535"},
        {L"3", L"通讯故障", L"——", L"——", L"——"},
        {L"4", L"通讯故障", L"——", L"——", L"——"},
    };
    const WPARAM keys[] = {VK_ESCAPE, VK_RETURN};
    for (int i = 0; i < 2; ++i) {
        HWND window = windows[i];
        ConsoleDriver::SendToIn(window, IDC_COMBO_MU_PORT, CB_SETCURSEL, ComNumber() - 1);
        ASSERT_TRUE(console.ClickIn(window, IDC_BTN_ACQUIRE));
        ASSERT_EQ(ConsoleDriver::TextIn(window, IDC_BTN_ACQUIRE), L"停止");
        // Units are polled in turn: the last row's second failure comes after the others' second poll.
        ASSERT_TRUE(WaitUntil([&] { return TableCount(window, 3, 1) >= 2; }, 20000));
        EXPECT_TRUE(Answers(window));
        for (int row = 0; row < 4; ++row) {
            EXPECT_EQ(Values(window, row), shown[row]) << row;
            EXPECT_EQ(TableCount(window, row, row >= 2 ? 0 : 1), 0) << row;
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

    // Once mended, the faulty units answer; the console's end takes a window
    // with a running cycle along, cleanly.
    ASSERT_TRUE(sim.Ok("fault 3 none") && sim.Ok("fault 4 none"));
    HWND mended = console.OpenMultiUnit(ComNumber(), 4);
    ASSERT_NE(mended, nullptr);
    EXPECT_TRUE(WaitUntil([&] { return TableCount(mended, 3, 0) >= 1; }, 20000));
    EXPECT_EQ(TableCount(mended, 2, 1) + TableCount(mended, 3, 1), 0);
    console.PressKey(IDC_EDIT_ADDRESS, VK_ESCAPE);
    EXPECT_EQ(console.WaitForExit(10000), 0u);
}

// The local time to the second, as a record line begins with it.
std::string LocalSecond() {
    SYSTEMTIME t{};
    GetLocalTime(&t);
    char text[24] = {};
    std::snprintf(text, sizeof text, "%04u-%02u-%02uT%02u:%02u:%02u", t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute,
                  t.wSecond);
    return text;
}

TEST(MultiUnitTest, ARecordedCycleWritesEveryPollAndExcelExportsTheTableAsShown) {
    SimControl sim;
    ASSERT_TRUE(sim.Ok("fault 2 silent"));
    ConsoleDriver console;
    ASSERT_TRUE(console.Start()) << "Lumeric.exe did not show its window";
    HWND window = console.OpenMultiUnit(ComNumber(), 3, -1, false);
    ASSERT_NE(window, nullptr);
    ConsoleDriver::SendToIn(window, IDC_CHECK_SAVE_RECORD, BM_SETCHECK, BST_CHECKED);
    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    const std::wstring file = temp + std::wstring(L"lumeric-") + std::to_wstring(GetCurrentProcessId());

    const std::string started = LocalSecond();
    ASSERT_TRUE(console.ClickAndSaveAs(window, IDC_BTN_ACQUIRE, file + L"-record.csv"));
    ASSERT_TRUE(WaitUntil([&] { return TableCount(window, 1, 1) >= 2 && TableCount(window, 2, 0) >= 2; }, 20000));
    ASSERT_TRUE(console.ClickIn(window, IDC_BTN_ACQUIRE));
    const std::string stopped = LocalSecond();
    // Poll k went to row k % 3, its (k / 3 + 1)-th; its values are those the row shows.
    const std::string record = FileText(file + L"-record.csv");
    std::string expected =
        "\xEF\xBB\xBF时间,设备地址,电池1电压(V),电池2电压(V),电池3电压(V),电池4电压(V),结果,成功次数,失败次数\r\n";
    int polls = 0;
    for (; expected.size() < record.size(); ++polls) {
        std::vector<std::wstring> row = Values(window, polls % 3);
        const std::wstring n = std::to_wstring(polls / 3 + 1);
        if (row[1] == L"通讯故障")
            row = {row[0], L"", L"", L"", L"", L"通讯故障,0," + n};
        else
            row.push_back(L"正常," + n + L",0");
        const std::string second = record.substr(expected.size(), started.size());
        EXPECT_TRUE(started <= second && second <= stopped) << second << ": the local time of the poll";
        expected += record.substr(expected.size(), 24) + CsvLine(row);
    }
    EXPECT_EQ(record, expected);
    EXPECT_EQ(polls, TableCount(window, 0, 0) + TableCount(window, 1, 1) + TableCount(window, 2, 0))
        << "a line per poll";

    ASSERT_TRUE(console.ClickAndSaveAs(window, IDC_BTN_EXCEL, file + L"-table.csv"));
    std::string table =
        "\xEF\xBB\xBF设备地址,电池1电压(V),电池2电压(V),电池3电压(V),电池4电压(V),成功次数,失败次数\r\n";
    for (int row = 0; row < 3; ++row) {
        std::vector<std::wstring> cells = Values(window, row);
        cells.insert(cells.end(),
                     {TableCell(window, IDC_LIST_COUNTS, row, 0), TableCell(window, IDC_LIST_COUNTS, row, 1)});
        table += CsvLine(cells);
    }
    EXPECT_EQ(FileText(file + L"-table.csv"), table);
    for (const wchar_t* end : {L"-record.csv", L"-table.csv"}) DeleteFileW((file + end).c_str());

    console.PressKey(IDC_EDIT_ADDRESS, VK_ESCAPE);
    EXPECT_EQ(console.WaitForExit(10000), 0u);
}

// A USB adapter's number, above the twelve the list always holds. Wine lists
// in SERIALCOMM only the ports it found itself at start-up (/dev/ttyS*), not a
// COM link made in the prefix: the test enters its port there as a driver
// would (the key is volatile: the entry goes with the prefix's server at the latest).
TEST(MultiUnitTest, AHighPortPluggedInWhileTheWindowIsOpenIsListedAtTheDropDownAndPolled) {
    ASSERT_GT(ComNumber(), 12) << "the test needs a port above COM12";
    const std::wstring port = L"COM" + std::to_wstring(ComNumber()), device = L"\\Device\\Lumeric" + port;
    const wchar_t* serialComm = L"HARDWARE\\DEVICEMAP\\SERIALCOMM";
    SimControl sim;
    ConsoleDriver console;
    ASSERT_TRUE(console.Start()) << "Lumeric.exe did not show its window";
    HWND window = console.OpenMultiUnit(0, 1, -1, false);
    ASSERT_NE(window, nullptr);
    // The port's place in the list once it has dropped down, CB_ERR when not listed.
    const auto listed = [&] {
        ConsoleDriver::SendToIn(window, IDC_COMBO_MU_PORT, CB_SHOWDROPDOWN, TRUE);
        ConsoleDriver::SendToIn(window, IDC_COMBO_MU_PORT, CB_SHOWDROPDOWN, FALSE);
        return ConsoleDriver::SendToIn(window, IDC_COMBO_MU_PORT, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                       reinterpret_cast<LPARAM>(port.c_str()));
    };
    EXPECT_EQ(listed(), CB_ERR);
    ASSERT_EQ(RegSetKeyValueW(HKEY_LOCAL_MACHINE, serialComm, device.c_str(), REG_SZ, port.c_str(),
                              static_cast<DWORD>((port.size() + 1) * sizeof(wchar_t))),
              ERROR_SUCCESS);
    const LRESULT index = listed();
    EXPECT_GE(index, 12);
    ConsoleDriver::SendToIn(window, IDC_COMBO_MU_PORT, CB_SETCURSEL, static_cast<WPARAM>(index));
    ASSERT_TRUE(console.ClickIn(window, IDC_BTN_ACQUIRE));
    EXPECT_TRUE(WaitUntil([&] { return TableCell(window, IDC_LIST_BAT1, 0, 1) == L"1.234"; }, 10000));
    RegDeleteKeyValueW(HKEY_LOCAL_MACHINE, serialComm, device.c_str());
    console.PressKey(IDC_EDIT_ADDRESS, VK_ESCAPE);
    EXPECT_EQ(console.WaitForExit(10000), 0u);
}

}  // namespace
