#include "console_fixture.h"
#include "format_hex.h"
#include "log_list_box.h"

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

// An exception reply never completes: once it begins, the deadline is the
// speed's short one from the start of the wait (200 ms at 9600 bit/s, 100 ms
// at 19200), not 5 s. A tick takes the speed shown at that moment.
TEST_F(ConsoleTest, AnExceptionReplyEndsAReadOrATickAtTheShortDeadlineOfTheSpeedShown) {
    OpenPort();
    Type(IDC_STATIC_VOLTAGE, "12.34V");
    for (bool tick : {false, true}) {
        if (tick) StartRun();
        window.SetComboSelection(IDC_COMBO_BAUD, tick ? 4 : 3);
        UnitAnswers(WithCrc({0x01, 0x83, 0x02}));
        const uint32_t start = clock.NowMs();
        tick ? console.OnTimer() : Click(IDC_BTN_READ_VOLTAGE);
        EXPECT_EQ(tick ? 100u : 200u, clock.NowMs() - start);
        EXPECT_EQ("通讯超时!", tick ? Log().front() : Log().back());
        EXPECT_EQ("12.34V", Text(IDC_STATIC_VOLTAGE));
    }
    EXPECT_EQ("1", Text(IDC_STATIC_FAIL_COUNT));
}

TEST_F(ConsoleTest, StationAddressIsTheLowByteOfTheField) {
    OpenPort();
    for (const auto& [typed, station] : {std::pair<const char*, uint8_t>{"258", 0x02}, {"-1", 0xFF}}) {
        Type(IDC_EDIT_ADDRESS, typed);  // 258 = 0x0102: the low byte, not the high one
        Click(IDC_BTN_READ_VOLTAGE);
        EXPECT_EQ(station, port.writes.back()[0]);
    }
}

TEST_F(ConsoleTest, RefusedIntervalsTellWhyAndStillResetTheCounts) {
    OpenPort();
    const struct {
        const char* interval;
        const char* message;
    } cases[] = {{"299", "连续采集间隔时间不小于 300 ms,请核对输入。"}, {"", "请设置采集时间"}};
    for (const auto& c : cases) {
        Type(IDC_STATIC_OK_COUNT, "7");
        Type(IDC_STATIC_FAIL_COUNT, "9");
        Type(IDC_EDIT_POLL_INTERVAL, c.interval);
        window.messages.clear();
        Click(IDC_BTN_CONTINUOUS);
        EXPECT_EQ(std::vector<std::string>{c.message}, window.messages) << c.interval;
        EXPECT_EQ("0/0", Text(IDC_STATIC_OK_COUNT) + "/" + Text(IDC_STATIC_FAIL_COUNT));
    }
    EXPECT_TRUE(window.journal.empty());
    StartRun("300");
    EXPECT_EQ(300u, window.timerPeriodMs);
}

// The station is fixed at the start; a tick queued before the stop reads
// nothing; a restart counts afresh.
TEST_F(ConsoleTest, ARunDrainsAndLocksInOrderAndItsStopUnlocksInTheSameOrder) {
    OpenPort();
    Type(IDC_EDIT_ADDRESS, "5");
    port.Arrive(clock.NowMs(), {0xDE, 0xAD});
    StartRun();
    EXPECT_EQ(0u, port.Queued());
    EXPECT_EQ("停止采集", Text(IDC_BTN_CONTINUOUS));
    EXPECT_EQ(kLockedByRun, window.Switched(false));
    EXPECT_TRUE(window.IsEnabled(IDC_BTN_CONTINUOUS));

    Type(IDC_EDIT_ADDRESS, "9");
    UnitAnswers(VoltageReply(1234, 5));
    console.OnTimer();
    EXPECT_EQ(5, port.writes.at(0)[0]);
    window.journal.clear();
    Click(IDC_BTN_CONTINUOUS);
    EXPECT_EQ("timer stop", window.journal.front());
    EXPECT_EQ("连续采集", Text(IDC_BTN_CONTINUOUS));
    EXPECT_EQ(kLockedByRun, window.Switched(true));
    console.OnTimer();
    EXPECT_EQ(1u, port.writes.size());
    EXPECT_EQ("1", Text(IDC_STATIC_OK_COUNT));
    StartRun();
    EXPECT_EQ("0", Text(IDC_STATIC_OK_COUNT));
}

// A tick purges what came since the last one (the tail of a reply begun too
// late for it, noise) and writes at once: no drain holds it. Its lines go
// on top of what the log held; a count stops at the top of its range.
TEST_F(ConsoleTest, TicksReadTheirOwnReplyWhateverCameBeforeAndLogNewestFirst) {
    OpenPort();
    Click(IDC_BTN_READ_VOLTAGE);  // leaves two lines that the run must not clear
    StartRun();
    Type(IDC_STATIC_OK_COUNT, "2147483647");
    port.Arrive(clock.NowMs() + 220, VoltageReply(100), ScriptedInput::CharUs(9600));  // after the 200 ms
    console.OnTimer();
    clock.SleepMs(1000);
    port.Arrive(clock.NowMs(), {0xEE, 0xEE});
    const uint32_t tickMs = clock.NowMs();
    uint32_t writtenAfterMs = 0;
    port.onWrite = [&](const std::vector<uint8_t>&) {
        writtenAfterMs = clock.NowMs() - tickMs;
        UnitAnswers(VoltageReply(300));
    };
    console.OnTimer();

    const std::vector<std::string> newestFirst = {
        ReplyLine(VoltageReply(300)), kRequestLine, "通讯超时!", kRequestLine, kRequestLine, "通讯超时!"};
    EXPECT_EQ(newestFirst, Log());
    EXPECT_EQ(0u, writtenAfterMs);
    EXPECT_EQ("2147483647", Text(IDC_STATIC_OK_COUNT));
    EXPECT_EQ("1", Text(IDC_STATIC_FAIL_COUNT));
    EXPECT_EQ("3.00V", Text(IDC_STATIC_VOLTAGE));
}

// The oldest lines go first; the newest keep their order.
TEST(LogListBox, KeepsTheNewestLinesInsertedOnTopUpToItsBound) {
    FakeDialogWindow window;
    LogListBox log(window, IDC_LIST_LOG);
    std::vector<std::string>& lines = window.lists[IDC_LIST_LOG];
    for (int n = LogListBox::kMaxLines; n >= 1; --n) lines.push_back(std::to_string(n));  // full, newest first
    log.InsertLogLineAtTop("new");
    log.InsertLogLineAtTop("newer");
    ASSERT_EQ(static_cast<size_t>(LogListBox::kMaxLines), lines.size());
    EXPECT_EQ((std::vector<std::string>{"newer", "new", std::to_string(LogListBox::kMaxLines)}),
              std::vector<std::string>(lines.begin(), lines.begin() + 3));
    EXPECT_EQ("3", lines.back());
}
