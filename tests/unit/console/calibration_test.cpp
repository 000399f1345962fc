#include "console_fixture.h"

namespace {

TEST_F(ConsoleTest, EachCalibrationButtonSendsThePointOfItsPlaceInTheColumn) {
    OpenPort();
    window.SetComboSelection(IDC_COMBO_CAL_CHANNEL, 3);  // "通道4"
    // Top to bottom; the ids are not in this order.
    const int column[] = {IDC_BTN_CAL_3V_0V5,    IDC_BTN_CAL_3V_3V,     IDC_BTN_CAL_20V_3V,
                          IDC_BTN_CAL_20V_20V,   IDC_BTN_CAL_200V_20V,  IDC_BTN_CAL_200V_200V,
                          IDC_BTN_CAL_600V_200V, IDC_BTN_CAL_600V_600V};
    for (int point = 1; point <= 8; ++point) {
        const std::vector<uint8_t> echo = WithCrc({1, 6, 0, 0x30, 4, static_cast<uint8_t>(point)});
        UnitAnswers(echo);
        Click(column[point - 1]);
        EXPECT_EQ(echo, port.writes.back());
    }
    // The channel stays chosen from one press to the next.
    EXPECT_EQ(std::vector<std::string>(8, "校准成功"), window.messages);
}

// The unit takes its time to calibrate: the deadline stays 5000 ms after the
// first bytes of the echo, at any rate.
TEST_F(ConsoleTest, CalibrationWaitsTheFull5000msForItsEcho) {
    window.SetComboSelection(IDC_COMBO_BAUD, 4);  // 19200: a read would give up after 100 ms
    OpenPort();
    window.SetComboSelection(IDC_COMBO_CAL_CHANNEL, 1);
    const std::vector<uint8_t> echo = {1, 6, 0, 0x30, 2, 3, 0xC8, 0xA4};
    std::vector<uint8_t> corrupt = echo;
    corrupt[5] = 4;
    const struct {
        std::vector<uint8_t> reply;
        uint32_t firstByteMs;
        uint32_t charUs;  // between bytes
        const char* message;
    } cases[] = {
        {echo, 3000, FakeSerialLine::CharUs(19200), "校准成功"},
        {echo, 4990, 2000, "通讯超时!"},  // the last byte lands at 5004 ms
        {corrupt, 3000, 0, "校准失败"},
    };
    for (const auto& c : cases) {
        window.messages.clear();
        const uint32_t start = clock.NowMs();
        port.Arrive(start + c.firstByteMs, {c.reply.front()});
        port.Arrive(start + c.firstByteMs, {c.reply.begin() + 1, c.reply.end()}, c.charUs);
        Click(IDC_BTN_CAL_20V_3V);
        EXPECT_EQ(echo, port.writes.back());
        EXPECT_EQ(std::vector<std::string>{c.message}, window.messages);
        EXPECT_LE(clock.NowMs() - start, 5000u);
        clock.SleepMs(100);  // whatever is left of the echo is stale now
    }
}

}  // namespace
