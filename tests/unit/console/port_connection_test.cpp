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

// No speed selected, or one past the rates, is refused; a port that will not
// open is not told, and one that opened but refused its settings is let go.
TEST_F(ConsoleTest, PortAndSpeedComeFromTheNumberTypedAndTheBaudIndexAndAFailedOpenIsSilent) {
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

    // A speed added to the combo one day is refused, not read past the rate table.
    window.comboItems[IDC_COMBO_BAUD].push_back("38400");
    for (int index : {-1, 5}) {
        window.SetComboSelection(IDC_COMBO_BAUD, index);
        window.messages.clear();
        Click(IDC_BTN_OPEN);
        EXPECT_EQ(std::vector<std::string>{"请选择波特率"}, window.messages) << index;
    }
    EXPECT_EQ(5u, port.opened.size());

    window.SetComboSelection(IDC_COMBO_BAUD, 3);
    port.notifyWindow = 0;
    for (bool FakeSerialLine::*failure : {&FakeSerialLine::refuseOpen, &FakeSerialLine::refuseSettings}) {
        port.*failure = true;
        window.journal.clear();
        Click(IDC_BTN_OPEN);
        ExpectClosedConsole(window, port);
        EXPECT_EQ(1u, window.messages.size());
        EXPECT_TRUE(window.journal.empty());
        EXPECT_EQ(0u, port.notifyWindow);
        port.*failure = false;
    }
}

// The multi-unit window takes a port of its own: a running console stops its
// timer, then lets its port and the buttons go, before the window opens.
TEST_F(ConsoleTest, MultiUnitButtonStopsARunAndClosesTheOpenPortBeforeItOpensTheWindow) {
    Click(IDC_BTN_MULTI);
    EXPECT_EQ(std::vector<std::string>{"multi-unit window"}, window.journal);
    EXPECT_EQ(0, port.closes);

    OpenPort();
    StartRun();
    window.journal.clear();
    Click(IDC_BTN_MULTI);
    EXPECT_EQ(1, port.closes);
    ExpectClosedConsole(window, port);
    EXPECT_EQ("timer stop", window.journal.front());
    EXPECT_EQ(kSeventeen, window.Switched(false));
    EXPECT_EQ("multi-unit window", window.journal.back());
    EXPECT_FALSE(window.timerRunning);
    EXPECT_EQ("连续采集", Text(IDC_BTN_CONTINUOUS));
}
