#include "console_fixture.h"

namespace {

void ExpectClosedConsole(FakeDialogWindow& window, FakeSerialLine& port) {
    EXPECT_FALSE(port.IsOpen());
    EXPECT_EQ("打开串口", window.texts[IDC_BTN_OPEN]);
    for (int id : kSeventeen) EXPECT_FALSE(window.IsEnabled(id)) << id;
    EXPECT_TRUE(window.IsEnabled(IDC_BTN_MULTI));
}

}  // namespace

TEST_F(ConsoleTest, OpenEnablesTheSeventeenButtonsAndCloseWithdrawsThem) {
    Click(IDC_BTN_OPEN);
    ASSERT_EQ(1u, port.opened.size());
    EXPECT_EQ(1u, port.opened[0].portNumber);
    EXPECT_EQ(9600u, port.opened[0].baudRate);
    EXPECT_EQ("关闭串口", Text(IDC_BTN_OPEN));
    EXPECT_EQ(kSeventeen, window.Switched(true));
    EXPECT_EQ(FakeDialogWindow::kHandle, port.notifyWindow);

    window.journal.clear();
    Click(IDC_BTN_OPEN);
    EXPECT_EQ(1, port.closes);
    EXPECT_EQ(kSeventeen, window.Switched(false));
    ExpectClosedConsole(window, port);
    EXPECT_TRUE(window.messages.empty());
}

TEST_F(ConsoleTest, PortAndSpeedComeFromTheNumberTypedAndTheBaudIndexAndNoSpeedIsRefused) {
    const uint32_t speeds[] = {1200, 2400, 4800, 9600, 19200};
    Type(IDC_COMBO_PORT, " 7 (USB)");  // the COM number is read from the start of the text
    for (int index = 0; index < 5; ++index) {
        window.SetComboSelection(IDC_COMBO_BAUD, index);
        Type(IDC_COMBO_BAUD, "garbage the speed must not come from");
        Click(IDC_BTN_OPEN);
        ASSERT_TRUE(port.IsOpen());
        EXPECT_EQ(speeds[index], port.opened.back().baudRate);
        EXPECT_EQ(7u, port.opened.back().portNumber);
        Click(IDC_BTN_OPEN);
    }

    window.SetComboSelection(IDC_COMBO_BAUD, -1);
    Click(IDC_BTN_OPEN);
    EXPECT_EQ(std::vector<std::string>{"请选择波特率"}, window.messages);
    EXPECT_EQ(5u, port.opened.size());
    ExpectClosedConsole(window, port);
}

TEST_F(ConsoleTest, FailedOpenIsSilent) {
    port.refuseOpen = true;
    Click(IDC_BTN_OPEN);
    ExpectClosedConsole(window, port);
    EXPECT_TRUE(window.messages.empty());
    EXPECT_TRUE(window.journal.empty());
    EXPECT_EQ(0u, port.notifyWindow);
}

TEST_F(ConsoleTest, MultiUnitButtonClosesAnOpenPortBeforeItOpensTheWindow) {
    Click(IDC_BTN_MULTI);
    EXPECT_EQ(std::vector<std::string>{"multi-unit window"}, window.journal);
    EXPECT_EQ(0, port.closes);

    OpenPort();
    Click(IDC_BTN_MULTI);
    EXPECT_EQ(1, port.closes);
    ExpectClosedConsole(window, port);
    ASSERT_EQ(kSeventeen.size() + 1, window.journal.size());
    EXPECT_EQ("multi-unit window", window.journal.back());
}

TEST_F(ConsoleTest, ClosingDuringARunStopsTheTimerBeforeWithdrawingTheButtons) {
    OpenPort();
    StartRun();
    window.journal.clear();
    Click(IDC_BTN_OPEN);

    ASSERT_FALSE(window.journal.empty());
    EXPECT_EQ("timer stop", window.journal.front());
    EXPECT_EQ(kSeventeen, window.Switched(false));
    EXPECT_FALSE(window.timerRunning);
    EXPECT_EQ("连续采集", Text(IDC_BTN_CONTINUOUS));
    ExpectClosedConsole(window, port);
}
