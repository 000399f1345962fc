// The real Lumeric.exe under Wine, driven from outside through its window as
// an operator would, against a simulated unit linked as COM $LUMERIC_COM.
// What a handler decides is proven by the unit tests; here, that the real
// window, controls, message boxes and port carry it.
//
// The unit runs at 1200 bit/s: a reply must be complete within 1920000 / baud
// ms of the start of the wait once its first byte is in, and the slowest
// speed leaves the most room for a simulator slowed by a busy machine.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "console_controls.h"
#include "console_driver.h"
#include "resource.h"
#include "sim_control.h"

namespace {

// Which buttons these are is proven by the unit tests, against a list of their own.
const std::vector<int> kAllPortButtons(kPortDependentButtons.begin(), kPortDependentButtons.end());
constexpr DWORD kExitTimeoutMs = 10000;
// The longest a console operation may hold its window: a drain of a line that
// never falls silent, then a wait of 5000 ms, with room for a slow machine.
constexpr DWORD kHoldLimitMs = 5000 + 5000 + 3000;
const std::wstring kReadRequest = L"发: 01 03 00 40 00 01 85 DE";

class ConsoleTest : public ::testing::Test {
public:
    void SetUp() override {
        ASSERT_GT(ComNumber(), 0) << "LUMERIC_COM is not set";
        ASSERT_TRUE(sim.Connected()) << "no lumeric-sim at LUMERIC_SIM_CONTROL";
        ASSERT_TRUE(console.Start()) << "Lumeric.exe did not show its window";
    }
    // The unit's COM port at its 1200 bit/s, typed: the port combo's selection stays on "1".
    void OpenSimPort() { ASSERT_TRUE(console.OpenPort(ComNumber(), 0)); }

    std::vector<int> EnabledPortButtons() const {
        std::vector<int> enabled;
        for (int id : kAllPortButtons)
            if (console.IsEnabled(id)) enabled.push_back(id);
        return enabled;
    }
    bool Logged(const std::wstring& line) const {
        const std::vector<std::wstring> lines = console.ListLines(IDC_LIST_LOG);
        return std::find(lines.begin(), lines.end(), line) != lines.end();
    }
    // A read of the voltage, its display cleared first; what it then shows.
    std::wstring ReadVoltage() {
        console.SetText(IDC_STATIC_VOLTAGE, L"");
        EXPECT_TRUE(console.Click(IDC_BTN_READ_VOLTAGE, kHoldLimitMs)) << "the console stayed busy";
        return console.Text(IDC_STATIC_VOLTAGE);
    }
    RECT WindowRect() const {
        RECT rect{};
        GetWindowRect(console.Window(), &rect);
        return rect;
    }

    SimControl sim;
    ConsoleDriver console;
};

TEST_F(ConsoleTest, StartsNarrowedWithItsDefaultsOpensAndClosesThePortAndEndsOnEnterInAnEditBox) {
    EXPECT_EQ(console.Text(IDC_BTN_OPEN), L"打开串口");
    EXPECT_EQ(console.Text(IDC_BTN_CONTINUOUS), L"连续采集");
    EXPECT_EQ(console.Text(IDC_BTN_FACTORY_MODE), L"厂家模式");

    // The combos hold their resource items, unsorted, with the start selections.
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
    EXPECT_TRUE(console.IsEnabled(IDC_BTN_OPEN) && console.IsEnabled(IDC_BTN_MULTI));
    EXPECT_EQ(EnabledPortButtons(), std::vector<int>{});

    // The window is cut to 383/513 of the template's width, which leaves the
    // log inside and the factory column outside.
    const RECT outer = WindowRect();
    RECT client{}, log{}, calibration{};
    GetClientRect(console.Window(), &client);
    const SIZE full = ConsoleDriver::TemplateSizeInPixels();
    ASSERT_GT(full.cx, 0);
    const int frameWidth = (outer.right - outer.left) - client.right;
    EXPECT_EQ(outer.right - outer.left, (full.cx + frameWidth) * 383 / 513);
    GetWindowRect(console.Control(IDC_LIST_LOG), &log);
    GetWindowRect(console.Control(IDC_BTN_CAL_3V_0V5), &calibration);
    EXPECT_LE(log.right, outer.right);
    EXPECT_GE(calibration.left, outer.right);
    const LONG style = GetWindowLongW(console.Window(), GWL_STYLE);
    EXPECT_EQ(style & (WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_SYSMENU), WS_SYSMENU);
    EXPECT_NE(GetWindowLongW(console.Window(), GWL_EXSTYLE) & WS_EX_APPWINDOW, 0);
    // Under Wine, WM_GETICON and WM_GETFONT answer 0 to another process, so
    // the icon and the fonts are checked on the demo's screenshots instead.

    OpenSimPort();
    EXPECT_EQ(EnabledPortButtons(), kAllPortButtons);
    ASSERT_TRUE(console.Click(IDC_BTN_OPEN));
    EXPECT_EQ(console.Text(IDC_BTN_OPEN), L"打开串口");
    EXPECT_EQ(EnabledPortButtons(), std::vector<int>{});
    EXPECT_FALSE(console.OpenPort(999)) << "nothing is linked as COM999";
    EXPECT_EQ(console.WaitForMessageBox(500), nullptr) << "a failed open is silent";

    console.PressKey(IDC_EDIT_ADDRESS, VK_RETURN);
    EXPECT_EQ(console.WaitForExit(kExitTimeoutMs), 0u) << "Enter in an edit box must end the program";
}

TEST_F(ConsoleTest, ReadsTheVoltageThroughFieldsOfAnyLengthOnceAndEvery300msAndEndsOnEscape) {
    ASSERT_TRUE(sim.Ok("set 1 voltage 1 1234"));
    // Numbers are read from the start of a text; what follows here is far
    // longer than any fixed buffer, with a lone surrogate that UTF-8 cannot hold.
    const std::wstring tail = L"\xD800" + std::wstring(100000, L'x');
    console.SetText(IDC_COMBO_PORT, std::to_wstring(ComNumber()) + tail);
    console.SendTo(IDC_COMBO_BAUD, CB_SETCURSEL, 0);
    ASSERT_TRUE(console.Click(IDC_BTN_OPEN));
    ASSERT_EQ(console.Text(IDC_BTN_OPEN), L"关闭串口");
    console.SetText(IDC_EDIT_ADDRESS, L"1" + tail);
    sim.Command("clearlog");

    EXPECT_EQ(ReadVoltage(), L"12.34V");
    // The list sorts: the reply line ("读") stands above the request line ("发").
    EXPECT_EQ(console.ListLines(IDC_LIST_LOG), (std::vector<std::wstring>{L"读: 01 03 02 04 D2 3A D9", kReadRequest}));
    const std::vector<SimFrame> frames = sim.Log();
    ASSERT_EQ(frames.size(), 1u);
    EXPECT_EQ(frames[0].hex, "01030040000185DE");
    EXPECT_EQ(frames[0].baud, 1200u);

    // Continuous acquisition every 300 ms: a tick takes about 120 ms at 1200 bit/s.
    console.SetText(IDC_EDIT_POLL_INTERVAL, L"300");
    ASSERT_TRUE(console.Click(IDC_BTN_CONTINUOUS));
    Sleep(2000);
    ASSERT_TRUE(console.Click(IDC_BTN_CONTINUOUS));
    EXPECT_GE(console.Number(IDC_STATIC_OK_COUNT), 4);
    // Each tick's request, then its reply, go on top of the read's lines, unsorted: newest first.
    const std::vector<std::wstring> lines = console.ListLines(IDC_LIST_LOG);
    ASSERT_EQ(lines.size(), 2u * console.Number(IDC_STATIC_OK_COUNT) + 2);
    for (size_t i = 0; i < lines.size(); i += 2) EXPECT_EQ(lines[i + 1], kReadRequest) << i;

    // The end also closes the open port.
    console.PressKey(IDC_EDIT_ADDRESS, VK_ESCAPE);
    EXPECT_EQ(console.WaitForExit(kExitTimeoutMs), 0u) << "Escape must end the program";
}

// Run on a Chinese and on an English system, whose code page (1252) and sort
// order are not Chinese: the unit's texts are code page 936 all the same, and
// the log sorts in Chinese order. Which fields the settings fill is the unit
// tests' business.
TEST_F(ConsoleTest, InformationReadShowsTheUnitsChineseNameAndLogsInChineseOrder) {
    OpenSimPort();
    ASSERT_TRUE(sim.Ok("set 1 name B5E7D1B9BCE0B2E2B5A5D4AA"));  // 电压监测单元 in code page 936
    // A lead byte whose next byte cannot follow it: no character of code page 936.
    ASSERT_TRUE(sim.Ok("set 1 protocol 56318130"));
    ASSERT_TRUE(console.Click(IDC_BTN_READ_INFO));

    EXPECT_EQ(console.Text(IDC_STATIC_DEVICE_NAME), L"电压监测单元");
    EXPECT_EQ(console.Text(IDC_STATIC_VENDOR), L"朗明电子");
    EXPECT_EQ(console.Text(IDC_STATIC_PROTOCOL_VERSION),
              L"V1\xFFFD"
              L"0");

    // The sorted list shows the reply's five lines above the request.
    const std::vector<std::wstring> lines = console.ListLines(IDC_LIST_LOG);
    ASSERT_EQ(lines.size(), 6u);
    for (size_t i = 0; i < 5; ++i) EXPECT_EQ(lines[i].substr(0, 3), L"读" + std::to_wstring(i + 1) + L":");
    EXPECT_EQ(lines[5], L"发: 01 03 00 07 00 28 F4 15");
}

TEST_F(ConsoleTest, FactoryModeThroughThePasswordDialogWidensInPlaceAndNarrowsBack) {
    OpenSimPort();
    const RECT narrow = WindowRect();
    HWND password = console.TypeFactoryPassword();
    ASSERT_NE(password, nullptr) << "no password dialog";
    EXPECT_NE(GetWindowLongW(GetDlgItem(password, IDC_EDIT_PASSWORD), GWL_STYLE) & ES_PASSWORD, 0);
    ASSERT_TRUE(console.ConfirmPassword(password));

    const RECT wide = WindowRect();
    RECT column{};
    GetWindowRect(console.Control(IDC_BTN_CAL_600V_600V), &column);
    EXPECT_EQ(wide.left, narrow.left);
    EXPECT_EQ(wide.top, narrow.top);
    EXPECT_EQ(wide.bottom, narrow.bottom);
    EXPECT_LT(column.right, wide.right) << "the factory column lies inside the window";
    console.SendTo(IDC_COMBO_CAL_CHANNEL, CB_SETCURSEL, 3);  // "通道4"
    EXPECT_EQ(console.ClickForMessage(IDC_BTN_CAL_600V_600V, kHoldLimitMs), L"校准成功");
    EXPECT_NE(sim.Command("get 1").find("calibrations=0408"), std::string::npos);
    ASSERT_TRUE(console.Click(IDC_BTN_FACTORY_MODE));
    EXPECT_EQ(WindowRect().right, narrow.right);
    EXPECT_EQ(console.Text(IDC_BTN_FACTORY_MODE), L"厂家模式");
}

// Each fault lumeric-sim injects, under one console operation that also
// proves its button, message box and frame reach the real port (what each
// fault ends in, for every operation, is proven by the unit tests): the
// window answers again, and the next exchange is good.
struct LineFault {
    const char* fault;    // the sim command that sets it
    const char* cleared;  // and the one that ends it
    void (*operate)(ConsoleTest& t);
};
const LineFault kLineFaults[] = {
    {"fault 1 silent", "fault 1 none",
     [](ConsoleTest& t) {
         EXPECT_EQ(t.ReadVoltage(), L"");
         EXPECT_TRUE(t.Logged(L"通讯超时!"));
     }},
    {"fault 1 badcrc", "fault 1 none",
     [](ConsoleTest& t) {
         t.console.SetText(IDC_EDIT_SAMPLE_INTERVAL, L"10");
         EXPECT_EQ(t.console.ClickForMessage(IDC_BTN_SET_SAMPLE_INTERVAL, kHoldLimitMs), L"设置失败");
     }},
    // Calibrations keep their 5000 ms deadline however late the echo begins. The
    // column is outside the narrowed window, its buttons enabled all the same.
    {"fault 1 late 3000", "fault 1 none",
     [](ConsoleTest& t) {
         t.console.SendTo(IDC_COMBO_CAL_CHANNEL, CB_SETCURSEL, 1);  // "通道2"
         EXPECT_EQ(t.console.ClickForMessage(IDC_BTN_CAL_20V_3V, kHoldLimitMs), L"校准成功");
         EXPECT_NE(t.sim.Command("get 1").find("calibrations=0203"), std::string::npos);
     }},
    {"fault 1 short 5", "fault 1 none",
     [](ConsoleTest& t) {
         t.console.SetText(IDC_EDIT_NEW_ADDRESS, L"1");  // the address it has: a unit that takes it stays reachable
         EXPECT_EQ(t.console.ClickForMessage(IDC_BTN_SET_ADDRESS, kHoldLimitMs), L"通讯超时!");
     }},
    // The bytes past the settings reply must not spoil the identity that follows at once.
    {"fault 1 trailing 3", "fault 1 none",
     [](ConsoleTest& t) {
         EXPECT_TRUE(t.console.Click(IDC_BTN_READ_INFO, kHoldLimitMs));
         EXPECT_EQ(t.console.Text(IDC_STATIC_DEVICE_NAME), L"Lumeric-VM4");
     }},
    {"fault 1 chunks 3 20", "fault 1 none", [](ConsoleTest& t) { EXPECT_EQ(t.ReadVoltage(), L"12.34V"); }},
    // Every tick's reply begins with noise: none passes. Once the noise ends,
    // only the tick under way then may fail; what it left must not spoil the next.
    {"fault 1 noise 3", "fault 1 none",
     [](ConsoleTest& t) {
         t.console.SetText(IDC_EDIT_POLL_INTERVAL, L"300");
         EXPECT_TRUE(t.console.Click(IDC_BTN_CONTINUOUS) && t.console.Text(IDC_BTN_CONTINUOUS) == L"停止采集");
         EXPECT_TRUE(WaitUntil([&] { return t.console.Number(IDC_STATIC_FAIL_COUNT) >= 3; }, 15000));
         EXPECT_EQ(t.console.Text(IDC_STATIC_OK_COUNT), L"0");
         EXPECT_TRUE(t.Logged(L"数据验证错误!"));
         const int failedUnderNoise = t.console.Number(IDC_STATIC_FAIL_COUNT);
         EXPECT_TRUE(t.sim.Ok("fault 1 none"));
         EXPECT_TRUE(WaitUntil([&] { return t.console.Number(IDC_STATIC_OK_COUNT) >= 5; }, 15000));
         EXPECT_TRUE(t.console.Click(IDC_BTN_CONTINUOUS) && t.console.Text(IDC_BTN_CONTINUOUS) == L"连续采集");
         EXPECT_LE(t.console.Number(IDC_STATIC_FAIL_COUNT) - failedUnderNoise, 1);
     }},
    // The reset's drain meets a line that never falls silent, and ends.
    {"fault 1 babble", "fault 1 none",
     [](ConsoleTest& t) {
         EXPECT_TRUE(t.console.Click(IDC_BTN_RESET, kHoldLimitMs));
         EXPECT_EQ(t.console.ListLines(IDC_LIST_LOG), std::vector<std::wstring>{L"发: 01 06 00 2F 55 66 07 79"});
         EXPECT_EQ(t.console.WaitForMessageBox(500), nullptr) << "the reset awaits nothing";
         EXPECT_NE(t.sim.Command("get 1").find("resets=1"), std::string::npos);
     }},
    // Only the CRC decides: another station's echo sets the speed, and the port reopens at it.
    {"fault 1 otheraddr 7", "fault 1 none",
     [](ConsoleTest& t) {
         t.console.SendTo(IDC_COMBO_DEVICE_BAUD, CB_SETCURSEL, 1);  // "2400"
         EXPECT_EQ(t.console.ClickForMessage(IDC_BTN_SET_BAUD, kHoldLimitMs), L"设置成功");
         EXPECT_EQ(t.console.Text(IDC_COMBO_BAUD), L"2400");
     }},
    // A unit at another speed hears no request.
    {"set 1 baud 9600", "set 1 baud 2400",
     [](ConsoleTest& t) {
         EXPECT_TRUE(t.console.Click(IDC_BTN_READ_INFO, kHoldLimitMs));
         EXPECT_TRUE(t.Logged(L"通讯超时!"));
     }},
    // On a sound line: the new address is the one the next read goes to, and the unit answers there.
    {"fault 1 none", "fault 2 none",
     [](ConsoleTest& t) {
         t.console.SetText(IDC_EDIT_NEW_ADDRESS, L"2");
         EXPECT_EQ(t.console.ClickForMessage(IDC_BTN_SET_ADDRESS, kHoldLimitMs), L"设置成功");
         EXPECT_EQ(t.console.Text(IDC_EDIT_ADDRESS), L"2");
     }},
};

TEST_F(ConsoleTest, EachFaultOfTheLineLeavesTheWindowAnsweringAndTheNextExchangeGood) {
    OpenSimPort();
    for (const LineFault& c : kLineFaults) {
        SCOPED_TRACE(c.fault);
        ASSERT_TRUE(sim.Ok(c.fault));
        c.operate(*this);
        EXPECT_TRUE(Answers(console.Window()));
        ASSERT_TRUE(sim.Ok(c.cleared));
        Sleep(300);  // the operator's next click, once what the fault left on the wire is in
        EXPECT_EQ(ReadVoltage(), L"12.34V");
        EXPECT_FALSE(Logged(L"通讯超时!") || Logged(L"数据验证错误!"));
    }
}

}  // namespace
