// The real Lumeric.exe under Wine, driven from outside through its window,
// against a simulated unit linked as COM $LUMERIC_COM.
//
// The unit runs at 1200 bit/s: a reply must be complete within 1920000 / baud
// ms of the start of the wait once its first byte is in, and the slowest
// speed leaves the most room for a simulator slowed by a busy machine.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "console_driver.h"
#include "resource.h"
#include "sim_control.h"

namespace {

const std::vector<int> kAllPortButtons{
    IDC_BTN_SET_BAUD,      IDC_BTN_FACTORY_MODE,  IDC_BTN_SET_ADDRESS,         IDC_BTN_READ_VOLTAGE,
    IDC_BTN_CONTINUOUS,    IDC_BTN_RESET,         IDC_BTN_SET_SAMPLE_INTERVAL, IDC_BTN_READ_INFO,
    IDC_BTN_CLEAR_LOG,     IDC_BTN_CAL_3V_0V5,    IDC_BTN_CAL_3V_3V,           IDC_BTN_CAL_20V_3V,
    IDC_BTN_CAL_20V_20V,   IDC_BTN_CAL_200V_20V,  IDC_BTN_CAL_200V_200V,       IDC_BTN_CAL_600V_200V,
    IDC_BTN_CAL_600V_600V,
};

// Nothing is linked as this COM number in the test prefix.
constexpr wchar_t kMissingPort[] = L"999";
constexpr DWORD kExitTimeoutMs = 10000;
constexpr int kUnitBaudIndex = 0;  // "1200"

// The port-dependent buttons that are enabled, in the order above.
std::vector<int> EnabledPortButtons(const ConsoleDriver& console) {
    std::vector<int> enabled;
    for (int id : kAllPortButtons) if (console.IsEnabled(id)) enabled.push_back(id);
    return enabled;
}

int Count(const ConsoleDriver& console, int id) { return _wtoi(console.Text(id).c_str()); }

class ConsoleTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_GT(ComNumber(), 0) << "LUMERIC_COM is not set";
        ASSERT_TRUE(sim.Connected()) << "no lumeric-sim at LUMERIC_SIM_CONTROL";
        ASSERT_TRUE(console.Start()) << "Lumeric.exe did not show its window";
    }

    // Opens the simulated unit's COM port at its speed and checks the console followed.
    void OpenSimPort(const std::wstring& tail = L"") {
        console.SetText(IDC_COMBO_PORT, std::to_wstring(ComNumber()) + tail);
        console.SendTo(IDC_COMBO_BAUD, CB_SETCURSEL, kUnitBaudIndex);
        ASSERT_TRUE(console.Click(IDC_BTN_OPEN));
        ASSERT_EQ(console.Text(IDC_BTN_OPEN), L"关闭串口");
    }

    SimControl sim;
    ConsoleDriver console;
};

TEST_F(ConsoleTest, StartsNarrowedInUserModeWithItsDefaultsAndEndsOnEnterInAnEditBox) {
    HWND window = console.Window();
    EXPECT_EQ(console.Text(IDC_BTN_OPEN), L"打开串口");
    EXPECT_EQ(console.Text(IDC_BTN_CONTINUOUS), L"连续采集");
    EXPECT_EQ(console.Text(IDC_BTN_FACTORY_MODE), L"厂家模式");

    // The combos hold their template items, unsorted, with the start selections.
    std::vector<std::wstring> ports;
    for (int n = 1; n <= 20; ++n) ports.push_back(std::to_wstring(n));
    const std::vector<std::wstring> bauds{L"1200", L"2400", L"4800", L"9600", L"19200"};
    EXPECT_EQ(console.ComboItems(IDC_COMBO_PORT), ports);
    EXPECT_EQ(console.ComboItems(IDC_COMBO_BAUD), bauds);
    EXPECT_EQ(console.ComboItems(IDC_COMBO_DEVICE_BAUD), bauds);
    EXPECT_EQ(console.ComboItems(IDC_COMBO_CAL_CHANNEL),
              (std::vector<std::wstring>{L"通道1", L"通道2", L"通道3", L"通道4"}));
    EXPECT_EQ(console.SendTo(IDC_COMBO_PORT, CB_GETCURSEL), 0);
    EXPECT_EQ(console.SendTo(IDC_COMBO_BAUD, CB_GETCURSEL), 3);
    EXPECT_EQ(console.SendTo(IDC_COMBO_CAL_CHANNEL, CB_GETCURSEL), CB_ERR);
    EXPECT_EQ(console.SendTo(IDC_COMBO_DEVICE_BAUD, CB_GETCURSEL), CB_ERR);

    EXPECT_TRUE(console.IsEnabled(IDC_BTN_OPEN));
    EXPECT_TRUE(console.IsEnabled(IDC_BTN_MULTI));
    EXPECT_EQ(EnabledPortButtons(console), std::vector<int>{});

    // The window is cut to 383/513 of the template's width, which leaves the
    // log inside and the factory column outside.
    RECT outer{}, client{};
    GetWindowRect(window, &outer);
    GetClientRect(window, &client);
    const SIZE full = ConsoleDriver::TemplateSizeInPixels();
    ASSERT_GT(full.cx, 0);
    const int frameWidth = (outer.right - outer.left) - client.right;
    EXPECT_EQ(outer.right - outer.left, (full.cx + frameWidth) * 383 / 513);
    RECT log{}, calibration{};
    GetWindowRect(console.Control(IDC_LIST_LOG), &log);
    GetWindowRect(console.Control(IDC_BTN_CAL_3V_0V5), &calibration);
    EXPECT_LE(log.right, outer.right);
    EXPECT_GE(calibration.left, outer.right);

    const LONG style = GetWindowLongW(window, GWL_STYLE);
    EXPECT_EQ(style & (WS_MINIMIZEBOX | WS_MAXIMIZEBOX), 0);
    EXPECT_NE(style & WS_SYSMENU, 0);
    EXPECT_NE(GetWindowLongW(window, GWL_EXSTYLE) & WS_EX_APPWINDOW, 0);

    // Under Wine, WM_GETICON and WM_GETFONT answer 0 to another process, so
    // the icon and the fonts are checked on the demo's screenshots instead.

    console.PressKey(IDC_EDIT_ADDRESS, VK_RETURN);
    EXPECT_EQ(console.WaitForExit(kExitTimeoutMs), 0u) << "Enter in an edit box must end the program";
}

TEST_F(ConsoleTest, OpensAndClosesTheSimulatedPortSilentlyRefusesAMissingOneAndEndsOnEscape) {
    OpenSimPort();
    EXPECT_EQ(EnabledPortButtons(console), kAllPortButtons);

    ASSERT_TRUE(console.Click(IDC_BTN_OPEN));
    EXPECT_EQ(console.Text(IDC_BTN_OPEN), L"打开串口");
    EXPECT_EQ(EnabledPortButtons(console), std::vector<int>{});

    console.SetText(IDC_COMBO_PORT, kMissingPort);
    ASSERT_TRUE(console.Click(IDC_BTN_OPEN));
    EXPECT_EQ(console.Text(IDC_BTN_OPEN), L"打开串口");
    EXPECT_EQ(console.WaitForMessageBox(500), nullptr) << "a failed open is silent";

    // Reopen, so that the end also closes an open port.
    OpenSimPort();
    console.PressKey(IDC_EDIT_ADDRESS, VK_ESCAPE);
    EXPECT_EQ(console.WaitForExit(kExitTimeoutMs), 0u) << "Escape must end the program";
}

TEST_F(ConsoleTest, ReadsTheVoltageThroughFieldsOfAnyLengthAndLogsTheExchangeOrTheTimeout) {
    ASSERT_EQ(sim.Command("set 1 voltage 1 1234").substr(0, 2), "ok");
    // Numbers are read from the start of a text; what follows here is far
    // longer than any fixed buffer, with a lone surrogate that UTF-8 cannot hold.
    const std::wstring tail = L"\xD800" + std::wstring(100000, L'x');
    OpenSimPort(tail);
    console.SetText(IDC_EDIT_ADDRESS, L"1" + tail);
    sim.Command("clearlog");

    ASSERT_TRUE(console.Click(IDC_BTN_READ_VOLTAGE));
    EXPECT_EQ(console.Text(IDC_STATIC_VOLTAGE), L"12.34V");
    // The list sorts: the reply line ("读") stands above the request line ("发").
    const std::vector<std::wstring> good{L"读: 01 03 02 04 D2 3A D9", L"发: 01 03 00 40 00 01 85 DE"};
    EXPECT_EQ(console.ListLines(IDC_LIST_LOG), good);
    const std::vector<SimFrame> frames = sim.Log();
    ASSERT_EQ(frames.size(), 1u);
    EXPECT_EQ(frames[0].hex, "01030040000185DE");
    EXPECT_EQ(frames[0].baud, 1200u);

    ASSERT_EQ(sim.Command("fault 1 silent").substr(0, 2), "ok");
    ASSERT_TRUE(console.Click(IDC_BTN_READ_VOLTAGE));
    EXPECT_EQ(console.Text(IDC_STATIC_VOLTAGE), L"12.34V") << "a failed read keeps the last value";
    const std::vector<std::wstring> silent{L"发: 01 03 00 40 00 01 85 DE", L"通讯超时!"};
    EXPECT_EQ(console.ListLines(IDC_LIST_LOG), silent);
}

TEST_F(ConsoleTest, ContinuousAcquisitionCountsGoodAndSilentTicksNewestFirst) {
    OpenSimPort();
    console.SetText(IDC_EDIT_POLL_INTERVAL, L"300");
    sim.Command("clearlog");
    ASSERT_TRUE(console.Click(IDC_BTN_CONTINUOUS));
    EXPECT_EQ(console.Text(IDC_BTN_CONTINUOUS), L"停止采集");

    ASSERT_TRUE(WaitUntil([&] { return Count(console, IDC_STATIC_OK_COUNT) >= 3; }, 10000));
    ASSERT_EQ(sim.Command("fault 1 silent").substr(0, 2), "ok");
    ASSERT_TRUE(WaitUntil([&] { return Count(console, IDC_STATIC_FAIL_COUNT) >= 1; }, 15000));
    ASSERT_EQ(sim.Command("fault 1 none").substr(0, 2), "ok");
    const int okBefore = Count(console, IDC_STATIC_OK_COUNT);
    ASSERT_TRUE(WaitUntil([&] { return Count(console, IDC_STATIC_OK_COUNT) >= okBefore + 2; }, 15000));

    ASSERT_TRUE(console.Click(IDC_BTN_CONTINUOUS));
    EXPECT_EQ(console.Text(IDC_BTN_CONTINUOUS), L"连续采集");

    const int ok = Count(console, IDC_STATIC_OK_COUNT);
    const int failed = Count(console, IDC_STATIC_FAIL_COUNT);
    EXPECT_EQ(console.Text(IDC_STATIC_VOLTAGE), L"12.34V");
    // Every tick sent one request and logged it below its outcome, newest tick
    // first: g for a reply, s for silence.
    EXPECT_EQ(sim.Log().size(), static_cast<size_t>(ok + failed));
    const std::vector<std::wstring> lines = console.ListLines(IDC_LIST_LOG);
    ASSERT_EQ(lines.size(), 2u * (ok + failed));
    std::string ticks;
    for (size_t i = 0; i < lines.size(); i += 2) {
        EXPECT_EQ(lines[i + 1], L"发: 01 03 00 40 00 01 85 DE");
        ticks += lines[i].rfind(L"读: 01 03 02", 0) == 0 ? 'g' : lines[i] == L"通讯超时!" ? 's' : '?';
    }
    EXPECT_EQ(std::count(ticks.begin(), ticks.end(), 'g'), ok);
    EXPECT_EQ(std::count(ticks.begin(), ticks.end(), 's'), failed);
    // The newest two were answered, the oldest too.
    EXPECT_EQ(ticks.substr(0, 2), "gg");
    EXPECT_EQ(ticks.back(), 'g');
}

}  // namespace
