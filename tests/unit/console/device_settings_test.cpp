#include "console_fixture.h"

namespace {

// The bounds of each range are taken, and go on the wire from station 1.
TEST_F(ConsoleTest, EachSettingSendsItsFrameUpToTheBoundsOfItsRange) {
    OpenPort();
    const struct {
        int button;
        int field;
        const char* value;
        std::vector<uint8_t> frame;
    } cases[] = {
        {IDC_BTN_SET_SAMPLE_INTERVAL, IDC_EDIT_SAMPLE_INTERVAL, "1", WithCrc({1, 6, 0, 3, 0x00, 0x01})},
        {IDC_BTN_SET_SAMPLE_INTERVAL, IDC_EDIT_SAMPLE_INTERVAL, "250", WithCrc({1, 6, 0, 3, 0x00, 0xFA})},
        {IDC_BTN_SET_ADDRESS, IDC_EDIT_NEW_ADDRESS, "0", WithCrc({1, 6, 0, 1, 0x00, 0x00})},
        {IDC_BTN_SET_ADDRESS, IDC_EDIT_NEW_ADDRESS, "15", WithCrc({1, 6, 0, 1, 0x00, 0x0F})},
    };
    for (const auto& c : cases) {
        Type(IDC_EDIT_ADDRESS, "1");
        Type(c.field, c.value);
        UnitAnswers(c.frame);
        Click(c.button);
        EXPECT_EQ(c.frame, port.writes.back()) << c.value;
        EXPECT_EQ("设置成功", window.messages.back()) << c.value;
    }
}

TEST_F(ConsoleTest, ValuesOutOfRangeOrMissingAreRefusedAndNothingIsSent) {
    OpenPort();
    Click(IDC_BTN_CLEAR_LOG);
    const struct {
        int button;
        int field;
        const char* value;
        const char* message;
    } cases[] = {
        {IDC_BTN_SET_ADDRESS, IDC_EDIT_NEW_ADDRESS, "16", "设备地址取值范围0－15，请重新输入"},
        {IDC_BTN_SET_ADDRESS, IDC_EDIT_NEW_ADDRESS, "-1", "设备地址取值范围0－15，请重新输入"},
        {IDC_BTN_SET_SAMPLE_INTERVAL, IDC_EDIT_SAMPLE_INTERVAL, "0", "电压采集间隔设置取值 1~250"},
        {IDC_BTN_SET_SAMPLE_INTERVAL, IDC_EDIT_SAMPLE_INTERVAL, "", "电压采集间隔设置取值 1~250"},
        {IDC_BTN_SET_SAMPLE_INTERVAL, IDC_EDIT_SAMPLE_INTERVAL, "251", "电压采集间隔设置取值 1~250"},
        // Nothing selected in the device baud and channel combos.
        {IDC_BTN_SET_BAUD, 0, "", "请选择设置波特率"},
        {IDC_BTN_CAL_3V_0V5, 0, "", "请选择校准 通道号 "},
    };
    for (const auto& c : cases) {
        if (c.field != 0) Type(c.field, c.value);
        window.messages.clear();
        Click(c.button);
        EXPECT_EQ(std::vector<std::string>{c.message}, window.messages) << c.value;
    }
    EXPECT_TRUE(port.writes.empty());
    EXPECT_TRUE(Log().empty());
}

TEST_F(ConsoleTest, BaudChangeReopensThePortThatWasOpenOrClosesTheConsole) {
    Type(IDC_COMBO_PORT, "25");
    OpenPort();
    window.SetComboSelection(IDC_COMBO_PORT, 2);  // "3", picked after the open
    window.SetComboSelection(IDC_COMBO_DEVICE_BAUD, 0);
    const std::vector<uint8_t> echo = WithCrc({1, 6, 0, 2, 0x04, 0xB0});
    UnitAnswers(echo);
    Click(IDC_BTN_SET_BAUD);
    EXPECT_EQ(echo, port.writes.back());
    ASSERT_TRUE(port.IsOpen());
    EXPECT_EQ(25u, port.opened.back().portNumber);
    EXPECT_EQ(1200u, port.opened.back().baudRate);
    EXPECT_EQ("1200", Text(IDC_COMBO_BAUD));

    port.refuseOpen = true;
    window.messages.clear();
    window.SetComboSelection(IDC_COMBO_DEVICE_BAUD, 4);
    UnitAnswers(WithCrc({1, 6, 0, 2, 0x4B, 0x00}));
    Click(IDC_BTN_SET_BAUD);
    EXPECT_EQ(std::vector<std::string>{"重新打开串口失败!"}, window.messages);
    EXPECT_FALSE(port.IsOpen());
    EXPECT_EQ("打开串口", Text(IDC_BTN_OPEN));
    EXPECT_EQ(kSeventeen, window.Switched(false));
    EXPECT_EQ("19200", Text(IDC_COMBO_BAUD));
}

TEST_F(ConsoleTest, ResetSendsItsFrameAndAwaitsNothing) {
    OpenPort();
    const uint32_t start = clock.NowMs();
    Click(IDC_BTN_RESET);
    EXPECT_EQ(start, clock.NowMs());
    EXPECT_EQ((std::vector<std::string>{"发: 01 06 00 2F 55 66 07 79"}), Log());
    EXPECT_TRUE(window.messages.empty());
}

}  // namespace
