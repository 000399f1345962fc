#include "multi_unit_fixture.h"

namespace {

// Row `row` as shown: 电池1 to 电池4, then the success and failure counts.
std::vector<std::string> Row(const FakeMultiUnitWindow& mu, size_t row) {
    return {mu.Cell(kBat1, row, 1), mu.Cell(kBat2, row, 0),   mu.Cell(kBat3, row, 0),
            mu.Cell(kBat4, row, 0), mu.Cell(kCounts, row, 0), mu.Cell(kCounts, row, 1)};
}

const std::vector<uint8_t> kUnit1Reply = {0x01, 0x03, 0x08, 0x0D, 0x80, 0x0D, 0x81, 0x0D, 0x82, 0x0D, 0x83, 0x0F, 0x30};

}  // namespace

// An answering unit costs what it takes to answer; a silent one the 1000 ms
// wait in 2 ms steps, then a read of 13 bytes that gives up after 70 ms, and
// no retry, also across the wrap of the tick count.
TEST_F(MultiUnitTest, EachTickShowsItsUnitsFourValuesOrFaultMarksAndItsCounts) {
    replies[1] = kUnit1Reply;
    replies[2] = {0x02, 0x03, 0x08, 0x00, 0x00, 0x00, 0x01, 0x03, 0xE8, 0xFF, 0xFF, 0x26, 0x93};
    replies[3] = {};
    Start("1", "3");
    clock.AdvanceToUs((uint64_t{0xFFFFFFFF} - 500) * 1000);
    std::vector<uint64_t> tookUs;
    for (int unit = 1; unit <= 3; ++unit) {
        const uint64_t before = clock.NowUs();
        Tick();
        tookUs.push_back(clock.NowUs() - before);
    }
    EXPECT_EQ((std::vector<uint8_t>{0x01, 0x03, 0x00, 0x40, 0x00, 0x04, 0x45, 0xDD}), line.writes[0]);
    EXPECT_LT(tookUs[0], 15000u);
    EXPECT_GE(tookUs[2], 1070000u);
    EXPECT_LE(tookUs[2], 1075000u);
    EXPECT_EQ((std::vector<std::string>{"3.456", "3.457", "3.458", "3.459", "1", "0"}), Row(mu, 0));
    EXPECT_EQ((std::vector<std::string>{"0.000", "0.001", "1.000", "65.535", "1", "0"}), Row(mu, 1));
    EXPECT_EQ((std::vector<std::string>{"通讯故障", "——", "——", "——", "0", "1"}), Row(mu, 2));
    const TrendHistory& trend = mu.dlg.Trend();
    ASSERT_EQ(3u, trend.UnitCount());
    EXPECT_EQ((FourValues{0.0f, 0.001f, 1.0f, 65.535f}), trend.PollValues(1, 0)) << "the trend gets the table's values";
    EXPECT_TRUE(IsGap(trend.PollValues(2, 0)[0]));

    // Unit 1 now answers only after its wait has ended: its last values leave
    // the screen, and its late reply, queued before the next poll, is not unit 2's.
    line.onWrite = [this] { line.replyDelayMs = line.writes.back()[0] == 1 ? 1100 : 10; };
    Tick();
    clock.AdvanceToUs(clock.NowUs() + 100000);
    Tick(2);
    EXPECT_EQ((std::vector<std::string>{"通讯故障", "——", "——", "——", "1", "1"}), Row(mu, 0));
    EXPECT_EQ((std::vector<std::string>{"0.000", "0.001", "1.000", "65.535", "2", "0"}), Row(mu, 1));
    EXPECT_EQ((std::vector<int>{1, 2, 3, 1, 2, 3}), Stations());
}

// A port the console holds is refused, as Windows refuses a second open;
// every end of the cycle lets its port go.
TEST_F(MultiUnitTest, APortHeldElsewhereIsRefusedAndEveryEndOfTheCycleFreesIt) {
    held.insert(1);
    mu.ClickAcquire();
    EXPECT_EQ(std::vector<std::string>{"打开串口失败，串口不存在或者被占用!!!"}, mu.window.messages);
    EXPECT_EQ("采集", mu.window.texts[IDC_BTN_ACQUIRE]);
    held.clear();

    const std::function<void()> ends[] = {[&] { mu.ClickAcquire(); }, [&] { mu.dlg.OnClose(); }};
    for (const auto& end : ends) {
        Start();
        end();
        EXPECT_FALSE(mu.window.timerRunning);
        EXPECT_TRUE(held.empty());
        // A tick queued before the end polls nothing.
        line.writes.clear();
        Tick();
        EXPECT_TRUE(line.writes.empty());
        mu.window.texts[IDC_BTN_ACQUIRE] = "采集";  // a closed window is gone with its caption
    }
}

TEST_F(MultiUnitTest, ATickThatANestedLoopDeliversDuringAPollPollsNothing) {
    Start();
    line.onWrite = [this] {
        line.onWrite = nullptr;
        Tick();
    };
    Tick();
    EXPECT_EQ(std::vector<int>{1}, Stations());
    Tick();
    EXPECT_EQ((std::vector<int>{1, 2}), Stations());
}
