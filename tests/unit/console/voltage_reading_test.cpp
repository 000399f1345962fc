#include "console_fixture.h"
#include "format_hex.h"

namespace {

const std::string kRequestLine = "发: 01 03 00 40 00 01 85 DE";

std::string ReplyLine(const std::vector<uint8_t>& reply) { return "读:" + FormatHex(reply.data(), reply.size()); }

}  // namespace

// Bytes left on the line from before are no part of the read's reply.
TEST_F(ConsoleTest, ReadShowsTheVoltageInHundredthsAndLogsBothFrames) {
    OpenPort();
    const struct {
        uint16_t value;
        const char* shown;
    } cases[] = {{0, "0.00V"}, {1234, "12.34V"}, {65535, "655.35V"}};
    for (const auto& c : cases) {
        port.Arrive(clock.NowMs(), {0xEE, 0xEE});
        UnitAnswers(VoltageReply(c.value));
        Click(IDC_BTN_READ_VOLTAGE);
        EXPECT_EQ(c.shown, Text(IDC_STATIC_VOLTAGE));
        EXPECT_EQ((std::vector<std::string>{kRequestLine, ReplyLine(VoltageReply(c.value))}), Log());
    }
    Click(IDC_BTN_CLEAR_LOG);
    EXPECT_TRUE(Log().empty());
}

TEST_F(ConsoleTest, AnExceptionReplyEndsTheReadAtTheShortDeadlineAndTheDisplayStays) {
    OpenPort();
    Type(IDC_STATIC_VOLTAGE, "12.34V");
    // An exception reply never completes: once it begins, the button's
    // deadline at 9600 bit/s is 200 ms from the start of the wait, not 5 s.
    UnitAnswers(WithCrc({0x01, 0x83, 0x02}));
    const uint32_t start = clock.NowMs();
    Click(IDC_BTN_READ_VOLTAGE);
    EXPECT_EQ(200u, clock.NowMs() - start);
    EXPECT_EQ("通讯超时!", Log().back());
    EXPECT_EQ("12.34V", Text(IDC_STATIC_VOLTAGE));
}

TEST_F(ConsoleTest, StationAddressIsTheLowByteOfTheField) {
    OpenPort();
    Type(IDC_EDIT_ADDRESS, "258");  // 0x0102: the low byte, not the high one
    Click(IDC_BTN_READ_VOLTAGE);
    EXPECT_EQ(0x02, port.writes.back()[0]);
    Type(IDC_EDIT_ADDRESS, "-1");
    Click(IDC_BTN_READ_VOLTAGE);
    EXPECT_EQ(0xFF, port.writes.back()[0]);
}

TEST_F(ConsoleTest, RefusedIntervalsTellWhyAndStillResetTheCounts) {
    OpenPort();
    const struct {
        const char* interval;
        const char* message;
    } cases[] = {{"299", "连续采集间隔时间不小于 300 ms,请核对输入。"},
                 {"", "请设置采集时间"}};
    for (const auto& c : cases) {
        Type(IDC_STATIC_OK_COUNT, "7");
        Type(IDC_STATIC_FAIL_COUNT, "9");
        Type(IDC_EDIT_POLL_INTERVAL, c.interval);
        window.messages.clear();
        Click(IDC_BTN_CONTINUOUS);
        EXPECT_EQ(std::vector<std::string>{c.message}, window.messages) << c.interval;
        EXPECT_EQ("0", Text(IDC_STATIC_OK_COUNT));
        EXPECT_EQ("0", Text(IDC_STATIC_FAIL_COUNT));
        EXPECT_EQ("连续采集", Text(IDC_BTN_CONTINUOUS));
    }
    EXPECT_TRUE(window.journal.empty());

    StartRun("300");
    EXPECT_EQ(300u, window.timerPeriodMs);
}

TEST_F(ConsoleTest, StartDrainsLocksInOrderAndFixesTheStation) {
    OpenPort();
    Type(IDC_EDIT_ADDRESS, "5");
    port.Arrive(clock.NowMs(), {0xDE, 0xAD});
    StartRun();
    EXPECT_EQ(0u, port.Queued());
    EXPECT_TRUE(port.writes.empty());
    EXPECT_EQ(1000u, window.timerPeriodMs);
    EXPECT_EQ("停止采集", Text(IDC_BTN_CONTINUOUS));
    EXPECT_EQ(kLockedByRun, window.Switched(false));
    EXPECT_TRUE(window.IsEnabled(IDC_BTN_CONTINUOUS));

    Type(IDC_EDIT_ADDRESS, "9");
    UnitAnswers(VoltageReply(1234, 5));
    console.OnTimer();
    ASSERT_EQ(1u, port.writes.size());
    EXPECT_EQ(std::vector<uint8_t>({0x05, 0x03, 0x00, 0x40, 0x00, 0x01}),
              std::vector<uint8_t>(port.writes[0].begin(), port.writes[0].begin() + 6));
    EXPECT_EQ("12.34V", Text(IDC_STATIC_VOLTAGE));
}

TEST_F(ConsoleTest, TicksLogNewestFirstAndCount) {
    OpenPort();
    Click(IDC_BTN_READ_VOLTAGE);  // leaves two lines that the run must not clear
    StartRun();
    UnitAnswers(VoltageReply(100));
    console.OnTimer();
    console.OnTimer();
    UnitAnswers(VoltageReply(300));
    console.OnTimer();

    const std::vector<std::string> newestFirst = {ReplyLine(VoltageReply(300)), kRequestLine, "通讯超时!",
                                                  kRequestLine, ReplyLine(VoltageReply(100)), kRequestLine,
                                                  kRequestLine, "通讯超时!"};
    EXPECT_EQ(newestFirst, Log());
    EXPECT_EQ("2", Text(IDC_STATIC_OK_COUNT));
    EXPECT_EQ("1", Text(IDC_STATIC_FAIL_COUNT));
    EXPECT_EQ("3.00V", Text(IDC_STATIC_VOLTAGE));
}

TEST_F(ConsoleTest, ATickTakesStaleBytesAsThePartOfItsReply) {
    OpenPort();
    StartRun();
    port.Arrive(clock.NowMs(), {0xEE, 0xEE});
    UnitAnswers(VoltageReply(1234));
    console.OnTimer();
    EXPECT_EQ("1", Text(IDC_STATIC_FAIL_COUNT));
    EXPECT_EQ("0", Text(IDC_STATIC_OK_COUNT));
}

TEST_F(ConsoleTest, EachTickTakesTheSpeedShownAtThatMoment) {
    OpenPort();
    StartRun();
    window.SetComboSelection(IDC_COMBO_BAUD, 4);  // 19200: 100 ms once bytes come
    UnitAnswers({0x01, 0x83, 0x02});              // an exception reply never completes
    const uint32_t start = clock.NowMs();
    console.OnTimer();
    EXPECT_EQ(100u, clock.NowMs() - start);
    EXPECT_EQ("1", Text(IDC_STATIC_FAIL_COUNT));
}

TEST_F(ConsoleTest, StopUnlocksInTheSameOrderAndARestartResetsTheCounts) {
    OpenPort();
    StartRun();
    UnitAnswers(VoltageReply(1234));
    console.OnTimer();
    window.journal.clear();

    Click(IDC_BTN_CONTINUOUS);
    EXPECT_FALSE(window.timerRunning);
    EXPECT_EQ("timer stop", window.journal.front());
    EXPECT_EQ("连续采集", Text(IDC_BTN_CONTINUOUS));
    EXPECT_EQ(kLockedByRun, window.Switched(true));
    EXPECT_EQ("1", Text(IDC_STATIC_OK_COUNT));
    EXPECT_EQ(2u, Log().size());

    console.OnTimer();  // queued before the stop: must not read
    EXPECT_EQ(1u, port.writes.size());
    EXPECT_EQ("1", Text(IDC_STATIC_OK_COUNT));

    StartRun();
    EXPECT_EQ("0", Text(IDC_STATIC_OK_COUNT));
    EXPECT_EQ("0", Text(IDC_STATIC_FAIL_COUNT));
}

TEST_F(ConsoleTest, ACountAtTheTopOfItsRangeStaysThere) {
    OpenPort();
    StartRun();
    Type(IDC_STATIC_OK_COUNT, "2147483647");
    UnitAnswers(VoltageReply(1));
    console.OnTimer();
    EXPECT_EQ("2147483647", Text(IDC_STATIC_OK_COUNT));
}
