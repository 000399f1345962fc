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

// The unit takes its time to calibrate: its echo has the full 5000 ms at any
// rate, where a read at 19200 bit/s gives up 100 ms after its first byte.
TEST_F(ConsoleTest, CalibrationWaitsTheFull5000msForItsEcho) {
    window.SetComboSelection(IDC_COMBO_BAUD, 4);
    OpenPort();
    window.SetComboSelection(IDC_COMBO_CAL_CHANNEL, 1);
    const std::vector<uint8_t> echo = {1, 6, 0, 0x30, 2, 3, 0xC8, 0xA4};
    port.Arrive(clock.NowMs() + 3000, {echo.front()});
    port.Arrive(clock.NowMs() + 4900, {echo.begin() + 1, echo.end()});
    Click(IDC_BTN_CAL_20V_3V);
    EXPECT_EQ(echo, port.writes.back());
    EXPECT_EQ(std::vector<std::string>{"校准成功"}, window.messages);
}

}  // namespace
