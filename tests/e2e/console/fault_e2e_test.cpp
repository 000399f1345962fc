// The real Lumeric.exe under Wine against every fault lumeric-sim can put on
// the line: one console operation under each, then a multi-unit cycle with
// two faulty units among good ones. After each the window still answers and
// the next good exchange succeeds. Units 1 to 4 at 1200 bit/s, the speed that
// leaves a busy machine the most room, on COM $LUMERIC_COM (at most COM12,
// where the multi-unit window's list ends).
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include "console_driver.h"
#include "list_view_reader.h"
#include "resource.h"
#include "sim_control.h"

namespace {

constexpr DWORD kBoxTimeoutMs = 10000;
// The longest a console operation may hold its window: a drain of a line that
// never falls silent, then a wait of 5000 ms, with room for a slow machine.
constexpr DWORD kHoldLimitMs = 5000 + 5000 + 3000;
constexpr wchar_t kMultiUnitCaption[] = L"Corvane多台";

bool Answers(HWND window) {
    DWORD_PTR result = 0;
    return SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_BLOCK, 2000, &result) != 0;
}

class FaultTest : public ::testing::Test {
public:
    void SetUp() override {
        ASSERT_GT(ComNumber(), 0) << "LUMERIC_COM is not set";
        ASSERT_LE(ComNumber(), 12) << "the multi-unit window's port list ends at COM12";
        ASSERT_TRUE(sim.Connected()) << "no lumeric-sim at LUMERIC_SIM_CONTROL";
        ASSERT_TRUE(console.Start()) << "Lumeric.exe did not show its window";
        console.SetText(IDC_COMBO_PORT, std::to_wstring(ComNumber()));
        console.SendTo(IDC_COMBO_BAUD, CB_SETCURSEL, 0);  // "1200"
        ASSERT_TRUE(console.Click(IDC_BTN_OPEN));
        ASSERT_EQ(console.Text(IDC_BTN_OPEN), L"关闭串口");
    }

    void Ok(const std::string& command) { ASSERT_EQ(sim.Command(command).substr(0, 2), "ok") << command; }
    void Click(int id) { ASSERT_TRUE(console.Click(id, kHoldLimitMs)) << "the console stayed busy after clicking " << id; }
    // Clicks `id`, expects a message box with `text` and closes it.
    void Told(int id, const std::wstring& text) {
        Click(id);
        HWND box = console.WaitForMessageBox(kBoxTimeoutMs);
        ASSERT_NE(box, nullptr) << "no message box after clicking " << id;
        EXPECT_EQ(ConsoleDriver::MessageBoxText(box), text);
        ConsoleDriver::DismissMessageBox(box);
        ASSERT_TRUE(console.Settle());
    }
    bool Logged(const std::wstring& line) {
        const std::vector<std::wstring> lines = console.ListLines(IDC_LIST_LOG);
        return std::find(lines.begin(), lines.end(), line) != lines.end();
    }
    // A read of the voltage, its display cleared first; what it then shows.
    std::wstring ReadVoltage() {
        console.SetText(IDC_STATIC_VOLTAGE, L"");
        Click(IDC_BTN_READ_VOLTAGE);
        return console.Text(IDC_STATIC_VOLTAGE);
    }
    void EnterFactoryMode() {
        Click(IDC_BTN_FACTORY_MODE);
        HWND password = console.WaitForDialog(L"对话", kBoxTimeoutMs);
        ASSERT_NE(password, nullptr) << "no password dialog";
        SendMessageW(GetDlgItem(password, IDC_EDIT_PASSWORD), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"507193"));
        PostMessageW(GetDlgItem(password, IDOK), BM_CLICK, 0, 0);
        HWND box = console.WaitForMessageBox(kBoxTimeoutMs);
        ASSERT_NE(box, nullptr);
        ConsoleDriver::DismissMessageBox(box);
        ASSERT_TRUE(console.Settle());
        console.SendTo(IDC_COMBO_CAL_CHANNEL, CB_SETCURSEL, 1);  // "通道2"
    }

    SimControl sim;
    ConsoleDriver console;
};

// A fault of unit 1 and one console operation under it, with what it must show.
struct Case {
    const char* fault;    // sim command that sets it
    const char* cleared;  // sim command that ends it
    void (*operate)(FaultTest& t);
};

const Case kCases[] = {
    {"fault 1 silent", "fault 1 none", [](FaultTest& t) {
         EXPECT_EQ(t.ReadVoltage(), L"");
         EXPECT_TRUE(t.Logged(L"通讯超时!"));
     }},
    {"fault 1 badcrc", "fault 1 none", [](FaultTest& t) {
         t.console.SetText(IDC_EDIT_SAMPLE_INTERVAL, L"10");
         t.Told(IDC_BTN_SET_SAMPLE_INTERVAL, L"设置失败");
     }},
    // Calibrations keep their 5000 ms deadline however late the echo begins.
    {"fault 1 late 3000", "fault 1 none", [](FaultTest& t) { t.Told(IDC_BTN_CAL_20V_3V, L"校准成功"); }},
    {"fault 1 short 5", "fault 1 none", [](FaultTest& t) {
         t.console.SetText(IDC_EDIT_NEW_ADDRESS, L"1");  // the address it has: a unit that takes it stays reachable
         t.Told(IDC_BTN_SET_ADDRESS, L"通讯超时!");
     }},
    // The bytes past the settings reply must not spoil the identity that follows at once.
    {"fault 1 trailing 3", "fault 1 none", [](FaultTest& t) {
         t.Click(IDC_BTN_READ_INFO);
         EXPECT_EQ(t.console.Text(IDC_EDIT_SAMPLE_INTERVAL), L"10");
         EXPECT_EQ(t.console.Text(IDC_STATIC_DEVICE_NAME), L"Lumeric-VM4");
     }},
    {"fault 1 chunks 3 20", "fault 1 none", [](FaultTest& t) { EXPECT_EQ(t.ReadVoltage(), L"12.34V"); }},
    // Every tick reads noise and what it left: none passes.
    {"fault 1 noise 3", "fault 1 none", [](FaultTest& t) {
         t.console.SetText(IDC_EDIT_POLL_INTERVAL, L"300");
         t.Click(IDC_BTN_CONTINUOUS);
         EXPECT_TRUE(WaitUntil([&] { return _wtoi(t.console.Text(IDC_STATIC_FAIL_COUNT).c_str()) >= 3; }, 10000));
         t.Click(IDC_BTN_CONTINUOUS);
         EXPECT_EQ(t.console.Text(IDC_STATIC_OK_COUNT), L"0");
         EXPECT_TRUE(t.Logged(L"数据验证错误!"));
     }},
    // Only the CRC decides: another station's echo sets the speed it has.
    {"fault 1 otheraddr 7", "fault 1 none", [](FaultTest& t) {
         t.console.SendTo(IDC_COMBO_DEVICE_BAUD, CB_SETCURSEL, 0);  // "1200"
         t.Told(IDC_BTN_SET_BAUD, L"设置成功");
     }},
    // The reset's drain meets a line that never falls silent, and ends.
    {"fault 1 babble", "fault 1 none", [](FaultTest& t) {
         t.Click(IDC_BTN_RESET);
         EXPECT_EQ(t.console.ListLines(IDC_LIST_LOG), std::vector<std::wstring>{L"发: 01 06 00 2F 55 66 07 79"});
     }},
    // A unit at another speed hears no request.
    {"set 1 baud 9600", "set 1 baud 1200", [](FaultTest& t) {
         t.Click(IDC_BTN_READ_INFO);
         EXPECT_TRUE(t.Logged(L"通讯超时!"));
     }},
};

std::wstring Cell(HWND window, int list, int row, int column) {
    return ListViewCell(GetDlgItem(window, list), row, column);
}
int Count(HWND window, int row, int column) { return _wtoi(Cell(window, IDC_LIST_COUNTS, row, column).c_str()); }

TEST_F(FaultTest, EachFaultOfTheLineLeavesTheWindowAnsweringAndTheNextExchangeGood) {
    EnterFactoryMode();
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.fault);
        Ok(c.fault);
        c.operate(*this);
        EXPECT_TRUE(Answers(console.Window()));
        Ok(c.cleared);
        // The operator's next click, once what the fault left on the wire is in.
        Sleep(300);
        EXPECT_EQ(ReadVoltage(), L"12.34V");
        EXPECT_FALSE(Logged(L"通讯超时!") || Logged(L"数据验证错误!"));
    }

    // Units 2 and 3 fail among good ones; once they mend, their rows show it.
    Ok("fault 2 silent");
    Ok("fault 3 badcrc");
    Click(IDC_BTN_MULTI);
    HWND window = console.WaitForNewWindow(kMultiUnitCaption, {}, 10000);
    ASSERT_NE(window, nullptr);
    ConsoleDriver::SendToIn(window, IDC_COMBO_MU_PORT, CB_SETCURSEL, ComNumber() - 1);
    ConsoleDriver::SendToIn(window, IDC_COMBO_MU_BAUD, CB_SETCURSEL, 0);  // "1200"
    ConsoleDriver::SetTextIn(window, IDC_EDIT_DEVICE_COUNT, L"4");
    ASSERT_TRUE(console.ClickIn(window, IDC_BTN_ACQUIRE));
    const auto counted = [&](int column, std::vector<int> rows) {
        return [=] { return std::all_of(rows.begin(), rows.end(), [&](int row) { return Count(window, row, column) > 0; }); };
    };
    ASSERT_TRUE(WaitUntil(counted(0, {0, 3}), 20000) && WaitUntil(counted(1, {1, 2}), 20000));
    EXPECT_TRUE(Answers(window));
    const std::wstring faults[] = {Cell(window, IDC_LIST_BAT1, 1, 1), Cell(window, IDC_LIST_BAT1, 2, 1)};
    EXPECT_EQ(faults[0], L"通讯故障");
    EXPECT_EQ(faults[1], L"通讯故障");
    EXPECT_EQ(Count(window, 0, 1) + Count(window, 3, 1), 0);
    Ok("fault 2 none");
    Ok("fault 3 none");
    EXPECT_TRUE(WaitUntil(counted(0, {1, 2}), 20000));
    EXPECT_EQ(Cell(window, IDC_LIST_BAT1, 2, 1), L"1.234");
    ASSERT_TRUE(console.ClickIn(window, IDC_BTN_ACQUIRE));
}

}  // namespace
