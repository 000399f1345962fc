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
#include "save_as_driver.h"
#include "sim_control.h"

namespace {

constexpr wchar_t kCaption[] = L"Corvane多台";
constexpr int kTableLists[] = {IDC_LIST_BAT1, IDC_LIST_BAT2, IDC_LIST_BAT3, IDC_LIST_BAT4, IDC_LIST_COUNTS};

std::wstring Cell(HWND window, int list, int row, int column) {
    return ListViewCell(GetDlgItem(window, list), row, column);
}

int Count(HWND window, int row, int column) { return _wtoi(Cell(window, IDC_LIST_COUNTS, row, column).c_str()); }

std::string Utf8(const std::wstring& text) {
    std::string utf8(text.size() * 3, '\0');
    utf8.resize(WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), &utf8[0],
                                    static_cast<int>(utf8.size()), nullptr, nullptr));
    return utf8;
}

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

}  // namespace

namespace {

std::string ReadWholeFile(const std::wstring& path) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return "?";
    std::string bytes(GetFileSize(file, nullptr), '\0');
    DWORD read = 0;
    ReadFile(file, &bytes[0], static_cast<DWORD>(bytes.size()), &read, nullptr);
    CloseHandle(file);
    return bytes.substr(0, read);
}

// The seven cells of a row as shown, in UTF-8.
std::vector<std::string> ShownRow(HWND window, int row) {
    std::vector<std::wstring> cells = Values(window, row);
    cells.push_back(Cell(window, IDC_LIST_COUNTS, row, 0));
    cells.push_back(Cell(window, IDC_LIST_COUNTS, row, 1));
    std::vector<std::string> utf8;
    for (const std::wstring& cell : cells) utf8.push_back(Utf8(cell));
    return utf8;
}

// No field of these files needs quotes.
std::string CsvLine(const std::vector<std::string>& fields) {
    std::string line;
    for (const std::string& field : fields) line += (line.empty() ? "" : ",") + field;
    return line + "\r\n";
}

}  // namespace

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
    const std::wstring folder = temp + std::wstring(L"lumeric-records-") + std::to_wstring(GetCurrentProcessId());
    CreateDirectoryW(folder.c_str(), nullptr);

    console.ClickIn(window, IDC_BTN_ACQUIRE);
    HWND saveAs = WaitForSaveAs(window, 10000);
    ASSERT_NE(saveAs, nullptr) << "no Save As dialog";
    AnswerSaveAs(saveAs, folder + L"\\record.csv");
    ASSERT_TRUE(WaitUntil([&] { return Count(window, 1, 1) >= 2 && Count(window, 2, 0) >= 2; }, 20000));
    ASSERT_TRUE(console.ClickIn(window, IDC_BTN_ACQUIRE));

    // Poll k went to row k % 3, its (k / 3 + 1)-th; the values are those the row shows.
    const std::string record = ReadWholeFile(folder + L"\\record.csv");
    std::string expected = "\xEF\xBB\xBF时间,设备地址,电池1电压(V),电池2电压(V),电池3电压(V),电池4电压(V),结果,成功次数,失败次数\r\n";
    int polls = 0;
    for (size_t start = expected.size(), end; (end = record.find("\r\n", start)) != std::string::npos; start = end + 2) {
        const std::vector<std::string> row = ShownRow(window, polls % 3);
        const std::string n = std::to_string(polls++ / 3 + 1);
        const bool failed = row[1] == "通讯故障";
        const std::vector<std::string> fields =
            failed ? std::vector<std::string>{row[0], "", "", "", "", row[1], "0", n}
                   : std::vector<std::string>{row[0], row[1], row[2], row[3], row[4], "正常", n, "0"};
        EXPECT_EQ(record[start + 10], 'T') << "ISO 8601 local time";
        expected += record.substr(start, 24) + CsvLine(fields);
    }
    EXPECT_EQ(record, expected);
    EXPECT_EQ(polls, Count(window, 0, 0) + Count(window, 1, 1) + Count(window, 2, 0));

    // Excel's stand-in copies what it opens. Wine's shell looks file kinds up
    // in HKEY_CLASSES_ROOT only, not in the user's classes.
    const std::wstring copy = L"cmd.exe /c copy \"%1\" \"" + folder + L"\\opened.csv\"";
    RegSetKeyValueW(HKEY_CLASSES_ROOT, L".csv", nullptr, REG_SZ, L"LumericE2E", sizeof L"LumericE2E");
    RegSetKeyValueW(HKEY_CLASSES_ROOT, L"LumericE2E\\shell\\open\\command", nullptr, REG_SZ, copy.c_str(),
                    static_cast<DWORD>((copy.size() + 1) * sizeof(wchar_t)));
    console.ClickIn(window, IDC_BTN_EXCEL);
    saveAs = WaitForSaveAs(window, 10000);
    ASSERT_NE(saveAs, nullptr) << "no Save As dialog for the export";
    AnswerSaveAs(saveAs, folder + L"\\table.csv");
    std::string table = "\xEF\xBB\xBF设备地址,电池1电压(V),电池2电压(V),电池3电压(V),电池4电压(V),成功次数,失败次数\r\n";
    for (int row = 0; row < 3; ++row) table += CsvLine(ShownRow(window, row));
    EXPECT_TRUE(WaitUntil([&] { return ReadWholeFile(folder + L"\\opened.csv") == table; }, 10000)) << "not opened";
    EXPECT_EQ(ReadWholeFile(folder + L"\\table.csv"), table);
    RegDeleteTreeW(HKEY_CLASSES_ROOT, L".csv");
    RegDeleteTreeW(HKEY_CLASSES_ROOT, L"LumericE2E");
    for (const wchar_t* name : {L"\\record.csv", L"\\table.csv", L"\\opened.csv"}) DeleteFileW((folder + name).c_str());
    RemoveDirectoryW(folder.c_str());

    console.PressKey(IDC_EDIT_ADDRESS, VK_ESCAPE);
    EXPECT_EQ(console.WaitForExit(10000), 0u);
}
