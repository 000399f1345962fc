// The unit's information, its settings, factory mode and calibration, through
// the real Lumeric.exe under Wine against a simulated unit linked as COM
// $LUMERIC_COM, at 1200 bit/s as in console_e2e_test.cpp. Message boxes and
// the password dialog are found, read and closed from here, as an operator
// would.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "console_driver.h"
#include "resource.h"
#include "sim_control.h"

namespace {

constexpr DWORD kBoxTimeoutMs = 10000;
// 电压监测单元 in code page 936, as the unit stores it.
constexpr char kChineseNameHex[] = "B5E7D1B9BCE0B2E2B5A5D4AA";
constexpr wchar_t kChineseName[] = L"电压监测单元";

class DeviceTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_GT(ComNumber(), 0) << "LUMERIC_COM is not set";
        ASSERT_TRUE(sim.Connected()) << "no lumeric-sim at LUMERIC_SIM_CONTROL";
        ASSERT_TRUE(console.Start()) << "Lumeric.exe did not show its window";
        // The COM number is typed, as no item of the port combo: the combo's
        // selection stays on "1", a port that does not exist here.
        console.SetText(IDC_COMBO_PORT, std::to_wstring(ComNumber()));
        console.SendTo(IDC_COMBO_BAUD, CB_SETCURSEL, 0);  // "1200"
        ASSERT_TRUE(console.Click(IDC_BTN_OPEN));
        ASSERT_EQ(console.Text(IDC_BTN_OPEN), L"关闭串口");
        sim.Command("clearlog");
    }

    void Ok(const std::string& command) { ASSERT_EQ(sim.Command(command).substr(0, 2), "ok") << command; }

    // Clicks `id`, then expects a message box with `text` and closes it.
    void ClickAndExpectMessage(int id, const std::wstring& text) {
        ASSERT_TRUE(console.Click(id));
        HWND box = console.WaitForMessageBox(kBoxTimeoutMs);
        ASSERT_NE(box, nullptr) << "no message box after clicking " << id;
        EXPECT_EQ(ConsoleDriver::MessageBoxText(box), text);
        ConsoleDriver::DismissMessageBox(box);
        ASSERT_TRUE(console.Settle());
    }

    // The unit's answer to `get 1` (or another address).
    std::string Unit(int address = 1) { return sim.Command("get " + std::to_string(address)); }

    SimControl sim;
    ConsoleDriver console;
};

TEST_F(DeviceTest, InformationReadShowsTheUnitsChineseNameAndLogsInChineseOrder) {
    Ok(std::string("set 1 name ") + kChineseNameHex);
    Ok("set 1 interval 25");
    // A lead byte whose next byte cannot follow it: no character of code page 936.
    Ok("set 1 protocol 56318130");
    ASSERT_TRUE(console.Click(IDC_BTN_READ_INFO));

    EXPECT_EQ(console.Text(IDC_EDIT_NEW_ADDRESS), L"1");
    EXPECT_EQ(console.SendTo(IDC_COMBO_DEVICE_BAUD, CB_GETCURSEL), 0) << "the unit's 1200 bit/s";
    EXPECT_EQ(console.Text(IDC_EDIT_SAMPLE_INTERVAL), L"25");
    EXPECT_EQ(console.Text(IDC_STATIC_DEVICE_NAME), kChineseName);
    EXPECT_EQ(console.Text(IDC_STATIC_SW_VERSION), L"V1.00");
    EXPECT_EQ(console.Text(IDC_STATIC_VENDOR), L"朗明电子");
    EXPECT_EQ(console.Text(IDC_STATIC_PROTOCOL_VERSION), L"V1\xFFFD" L"0");

    // The sorted list shows the reply's five lines above the request.
    const std::vector<std::wstring> lines = console.ListLines(IDC_LIST_LOG);
    ASSERT_EQ(lines.size(), 6u);
    for (size_t i = 0; i < 5; ++i) EXPECT_EQ(lines[i].substr(0, 3), L"读" + std::to_wstring(i + 1) + L":");
    EXPECT_EQ(lines[0].substr(0, 12), L"读1: 01 03 50");
    EXPECT_EQ(lines[5], L"发: 01 03 00 07 00 28 F4 15");
    EXPECT_EQ(sim.Log().size(), 2u);
}

TEST_F(DeviceTest, AfterAnAddressChangeTheNextReadGoesToTheNewAddress) {
    console.SetText(IDC_EDIT_NEW_ADDRESS, L"2");
    ClickAndExpectMessage(IDC_BTN_SET_ADDRESS, L"设置成功");
    EXPECT_EQ(console.Text(IDC_EDIT_ADDRESS), L"2");

    ASSERT_TRUE(console.Click(IDC_BTN_READ_VOLTAGE));
    EXPECT_EQ(console.Text(IDC_STATIC_VOLTAGE), L"12.34V");
    const std::vector<SimFrame> frames = sim.Log();
    ASSERT_EQ(frames.size(), 2u);
    EXPECT_EQ(frames[1].hex.substr(0, 2), "02");
    EXPECT_EQ(Unit(2).substr(0, 2), "ok");
}

TEST_F(DeviceTest, AfterABaudChangeTheConsoleReadsAtTheNewRateOnThePortThatWasOpen) {
    console.SendTo(IDC_COMBO_DEVICE_BAUD, CB_SETCURSEL, 4);  // "19200"
    ClickAndExpectMessage(IDC_BTN_SET_BAUD, L"设置成功");
    EXPECT_EQ(console.Text(IDC_COMBO_BAUD), L"19200");
    EXPECT_EQ(console.Text(IDC_BTN_OPEN), L"关闭串口");

    ASSERT_TRUE(console.Click(IDC_BTN_READ_VOLTAGE));
    EXPECT_EQ(console.Text(IDC_STATIC_VOLTAGE), L"12.34V");
    const std::vector<SimFrame> frames = sim.Log();
    ASSERT_EQ(frames.size(), 2u);
    EXPECT_EQ(frames[0].hex, "010600024B001EFA");
    EXPECT_EQ(frames[0].baud, 1200u);
    EXPECT_EQ(frames[1].baud, 19200u);
    EXPECT_NE(Unit().find("baud=19200"), std::string::npos);
}

TEST_F(DeviceTest, ResetIsSentWithNothingAwaited) {
    const DWORD start = GetTickCount();
    ASSERT_TRUE(console.Click(IDC_BTN_RESET));
    EXPECT_LT(GetTickCount() - start, 1000u);
    EXPECT_EQ(console.ListLines(IDC_LIST_LOG), std::vector<std::wstring>{L"发: 01 06 00 2F 55 66 07 79"});
    EXPECT_EQ(console.WaitForMessageBox(500), nullptr);
    ASSERT_TRUE(WaitUntil([&] { return Unit().find("resets=1") != std::string::npos; }, 2000));
    // The unit's echo waits in the port until the next operation drains it.
    ASSERT_TRUE(console.Click(IDC_BTN_READ_VOLTAGE));
    EXPECT_EQ(console.Text(IDC_STATIC_VOLTAGE), L"12.34V");
}

TEST_F(DeviceTest, FactoryModeThroughThePasswordDialogThenOneCalibration) {
    RECT narrow{};
    GetWindowRect(console.Window(), &narrow);
    ASSERT_TRUE(console.Click(IDC_BTN_FACTORY_MODE));
    HWND password = console.WaitForDialog(L"对话", kBoxTimeoutMs);
    ASSERT_NE(password, nullptr) << "no password dialog";
    HWND entry = GetDlgItem(password, IDC_EDIT_PASSWORD);
    EXPECT_NE(GetWindowLongW(entry, GWL_STYLE) & ES_PASSWORD, 0);
    SendMessageW(entry, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"507193"));
    PostMessageW(GetDlgItem(password, IDOK), BM_CLICK, 0, 0);

    HWND box = console.WaitForMessageBox(kBoxTimeoutMs);
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(ConsoleDriver::MessageBoxText(box), L"操作成功!");
    RECT whileTold{};
    GetWindowRect(console.Window(), &whileTold);
    EXPECT_EQ(whileTold.right, narrow.right) << "the column shows only once the message is closed";
    ConsoleDriver::DismissMessageBox(box);
    ASSERT_TRUE(console.Settle());

    RECT wide{}, column{};
    GetWindowRect(console.Window(), &wide);
    GetWindowRect(console.Control(IDC_BTN_CAL_600V_600V), &column);
    EXPECT_EQ(console.Text(IDC_BTN_FACTORY_MODE), L"用户模式");
    EXPECT_EQ(wide.left, narrow.left);
    EXPECT_EQ(wide.top, narrow.top);
    EXPECT_EQ(wide.bottom, narrow.bottom);
    EXPECT_LT(column.right, wide.right) << "the factory column lies inside the window";

    console.SendTo(IDC_COMBO_CAL_CHANNEL, CB_SETCURSEL, 1);  // "通道2"
    ClickAndExpectMessage(IDC_BTN_CAL_20V_3V, L"校准成功");
    EXPECT_NE(Unit().find("calibrations=0203"), std::string::npos);

    ASSERT_TRUE(console.Click(IDC_BTN_FACTORY_MODE));
    RECT back{};
    GetWindowRect(console.Window(), &back);
    EXPECT_EQ(back.right, narrow.right);
    EXPECT_EQ(console.Text(IDC_BTN_FACTORY_MODE), L"厂家模式");
}

}  // namespace
