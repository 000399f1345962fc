// The multi-unit windows of the real Lumeric.exe under Wine, driven from
// outside, against simulated units (stations 1 to 4, or 1 to 3 for the
// records, at 9600 bit/s) on one line linked as COM $LUMERIC_COM, a number
// the window's list can show.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <map>
#include <sstream>
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

const std::string kBom = "\xEF\xBB\xBF";

// A fresh folder of the test's own, under the temporary folder.
std::wstring TestFolder() {
    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    const std::wstring folder = temp + std::wstring(L"lumeric-records-") + std::to_wstring(GetCurrentProcessId());
    CreateDirectoryW(folder.c_str(), nullptr);
    return folder;
}

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

// While it lives, the program registered for .csv files copies the file it
// opens to `copy`: Excel's stand-in. Wine's shell looks up file kinds in
// HKEY_CLASSES_ROOT only, not in the user's own classes.
class CsvOpenerStandIn {
public:
    explicit CsvOpenerStandIn(const std::wstring& copy) {
        SetDefault(L".csv", L"LumericE2E.csv");
        SetDefault(L"LumericE2E.csv\\shell\\open\\command", L"cmd.exe /c copy \"%1\" \"" + copy + L"\"");
    }
    ~CsvOpenerStandIn() {
        RegDeleteTreeW(HKEY_CLASSES_ROOT, L".csv");
        RegDeleteTreeW(HKEY_CLASSES_ROOT, L"LumericE2E.csv");
    }

private:
    static void SetDefault(const std::wstring& key, const std::wstring& value) {
        RegSetKeyValueW(HKEY_CLASSES_ROOT, key.c_str(), nullptr, REG_SZ, value.c_str(),
                        static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
    }
};

// Fields split at commas: no field of these files needs quotes.
std::vector<std::string> Fields(const std::string& line) {
    std::vector<std::string> fields;
    std::istringstream in(line + ",");
    for (std::string field; std::getline(in, field, ',');) fields.push_back(field);
    return fields;
}

// The lines after the byte-order mark, each without its CRLF; "?" when a line lacks one.
std::vector<std::string> Lines(const std::string& bytes) {
    std::vector<std::string> lines;
    if (bytes.compare(0, kBom.size(), kBom) != 0) return {"?"};
    for (size_t start = kBom.size(), end; start < bytes.size(); start = end + 2) {
        end = bytes.find("\r\n", start);
        if (end == std::string::npos) return {"?"};
        lines.push_back(bytes.substr(start, end - start));
    }
    return lines;
}

// The table's seven columns of `row`, as shown.
std::vector<std::string> TableRow(HWND window, int row) {
    std::vector<std::string> cells;
    for (const std::wstring& cell : Values(window, row)) cells.push_back(Utf8(cell));
    cells.push_back(Utf8(Cell(window, IDC_LIST_COUNTS, row, 0)));
    cells.push_back(Utf8(Cell(window, IDC_LIST_COUNTS, row, 1)));
    return cells;
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
    const std::wstring folder = TestFolder();

    console.ClickIn(window, IDC_BTN_ACQUIRE);
    HWND saveAs = WaitForSaveAs(window, 10000);
    ASSERT_NE(saveAs, nullptr) << "no Save As dialog";
    ASSERT_TRUE(AnswerSaveAs(saveAs, folder + L"\\record.csv"));
    ASSERT_TRUE(WaitUntil([&] { return Count(window, 1, 1) >= 2 && Count(window, 2, 0) >= 2; }, 20000));
    ASSERT_TRUE(console.ClickIn(window, IDC_BTN_ACQUIRE));
    ASSERT_EQ(ConsoleDriver::TextIn(window, IDC_BTN_ACQUIRE), L"采集");

    // Each poll's line says what its row showed then; the last one of each unit is the row as it stands.
    const std::vector<std::string> record = Lines(ReadWholeFile(folder + L"\\record.csv"));
    ASSERT_GE(record.size(), 7u);
    EXPECT_EQ(record[0], "时间,设备地址,电池1电压(V),电池2电压(V),电池3电压(V),电池4电压(V),结果,成功次数,失败次数");
    std::map<std::string, std::vector<std::string>> lastCounts;
    for (size_t i = 1; i < record.size(); ++i) {
        const std::vector<std::string> fields = Fields(record[i]);
        ASSERT_EQ(fields.size(), 9u) << record[i];
        EXPECT_EQ(fields[0].size(), 23u) << "time to the millisecond: " << fields[0];
        const int row = std::stoi(fields[1]) - 1;
        ASSERT_TRUE(row >= 0 && row < 3) << record[i];
        std::vector<std::string> shown = TableRow(window, row);
        if (shown[1] == "通讯故障") shown = {shown[0], "", "", "", "", "通讯故障"};
        else shown = {shown[0], shown[1], shown[2], shown[3], shown[4], "正常"};
        EXPECT_EQ(std::vector<std::string>(fields.begin() + 1, fields.begin() + 7), shown) << record[i];
        lastCounts[fields[1]] = {fields[7], fields[8]};
    }
    for (int row = 0; row < 3; ++row) {
        const std::vector<std::string> shown = TableRow(window, row);
        EXPECT_EQ(lastCounts[shown[0]], std::vector<std::string>(shown.begin() + 5, shown.end())) << row;
    }

    const std::wstring opened = folder + L"\\opened.csv";
    CsvOpenerStandIn excel(opened);
    console.ClickIn(window, IDC_BTN_EXCEL);
    saveAs = WaitForSaveAs(window, 10000);
    ASSERT_NE(saveAs, nullptr) << "no Save As dialog for the export";
    ASSERT_TRUE(AnswerSaveAs(saveAs, folder + L"\\table.csv"));
    std::string table = kBom + "设备地址,电池1电压(V),电池2电压(V),电池3电压(V),电池4电压(V),成功次数,失败次数\r\n";
    for (int row = 0; row < 3; ++row) {
        const std::vector<std::string> cells = TableRow(window, row);
        for (size_t i = 0; i < cells.size(); ++i) table += cells[i] + (i + 1 < cells.size() ? "," : "\r\n");
    }
    EXPECT_TRUE(WaitUntil([&] { return ReadWholeFile(opened) == table; }, 10000)) << "the export was not opened";
    EXPECT_EQ(ReadWholeFile(folder + L"\\table.csv"), table);
    for (const wchar_t* name : {L"\\record.csv", L"\\table.csv", L"\\opened.csv"}) DeleteFileW((folder + name).c_str());
    RemoveDirectoryW(folder.c_str());

    console.PressKey(IDC_EDIT_ADDRESS, VK_ESCAPE);
    EXPECT_EQ(console.WaitForExit(10000), 0u);
}
