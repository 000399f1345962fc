#include "console_fixture.h"

namespace {

using Lines = std::vector<std::string>;
using Frames = std::vector<std::vector<uint8_t>>;

// A press of `button` with `value` typed into `field` (0: none): the frame it
// sends from station 1 (none: refused), and the message it tells (none: silent).
struct Press {
    int button;
    int field;
    const char* value;
    std::vector<uint8_t> frame;
    const char* told;
};

// Calibration point n is the n-th button of the column, top to bottom; the
// ids are not in this order.
std::vector<Press> CalibrationColumn() {
    const int column[] = {IDC_BTN_CAL_3V_0V5,   IDC_BTN_CAL_3V_3V,     IDC_BTN_CAL_20V_3V,    IDC_BTN_CAL_20V_20V,
                          IDC_BTN_CAL_200V_20V, IDC_BTN_CAL_200V_200V, IDC_BTN_CAL_600V_200V, IDC_BTN_CAL_600V_600V};
    std::vector<Press> presses;
    for (uint8_t point = 1; point <= 8; ++point) {
        presses.push_back({column[point - 1], 0, "", WithCrc({1, 6, 0, 0x30, 4, point}), "校准成功"});
    }
    return presses;
}

}  // namespace

// Refusals send and log nothing; the bounds of each range are taken.
TEST_F(ConsoleTest, EachSettingSendsItsFrameWithinTheBoundsOfItsRangeAndRefusesTheRest) {
    OpenPort();
    Click(IDC_BTN_CLEAR_LOG);
    const char* address = "设备地址取值范围0－15，请重新输入";
    const char* interval = "电压采集间隔设置取值 1~250";
    const std::vector<Press> refused = {
        {IDC_BTN_SET_ADDRESS, IDC_EDIT_NEW_ADDRESS, "16", {}, address},
        {IDC_BTN_SET_ADDRESS, IDC_EDIT_NEW_ADDRESS, "-1", {}, address},
        {IDC_BTN_SET_SAMPLE_INTERVAL, IDC_EDIT_SAMPLE_INTERVAL, "0", {}, interval},
        {IDC_BTN_SET_SAMPLE_INTERVAL, IDC_EDIT_SAMPLE_INTERVAL, "", {}, interval},
        {IDC_BTN_SET_SAMPLE_INTERVAL, IDC_EDIT_SAMPLE_INTERVAL, "251", {}, interval},
        // Nothing selected in the device baud and channel combos; then a sixth
        // speed, added to the combo one day, which is past the rate table.
        {IDC_BTN_SET_BAUD, 0, "", {}, "请选择设置波特率"},
        {IDC_BTN_SET_BAUD, IDC_COMBO_DEVICE_BAUD, "38400", {}, "请选择设置波特率"},
        {IDC_BTN_CAL_3V_0V5, 0, "", {}, "请选择校准 通道号 "},
    };
    std::vector<Press> taken = {
        {IDC_BTN_SET_SAMPLE_INTERVAL, IDC_EDIT_SAMPLE_INTERVAL, "1", WithCrc({1, 6, 0, 3, 0x00, 0x01}), "设置成功"},
        {IDC_BTN_SET_SAMPLE_INTERVAL, IDC_EDIT_SAMPLE_INTERVAL, "250", WithCrc({1, 6, 0, 3, 0x00, 0xFA}), "设置成功"},
        {IDC_BTN_SET_ADDRESS, IDC_EDIT_NEW_ADDRESS, "0", WithCrc({1, 6, 0, 1, 0x00, 0x00}), "设置成功"},
        {IDC_BTN_SET_ADDRESS, IDC_EDIT_NEW_ADDRESS, "15", WithCrc({1, 6, 0, 1, 0x00, 0x0F}), "设置成功"},
        {IDC_BTN_RESET, 0, "", {1, 6, 0, 0x2F, 0x55, 0x66, 0x07, 0x79}, nullptr},
    };
    const std::vector<Press> column = CalibrationColumn();
    taken.insert(taken.end(), column.begin(), column.end());  // the channel stays chosen from press to press

    const std::vector<Press>* lists[] = {&refused, &taken};
    for (const std::vector<Press>* presses : lists) {
        if (presses == &taken) window.SetComboSelection(IDC_COMBO_CAL_CHANNEL, 3);  // "通道4"
        for (const Press& p : *presses) {
            Type(IDC_EDIT_ADDRESS, "1");
            if (p.field == IDC_COMBO_DEVICE_BAUD) {
                window.comboItems[p.field].push_back(p.value);
                window.SetComboSelection(p.field, 5);
            } else if (p.field != 0) {
                Type(p.field, p.value);
            }
            if (p.told != nullptr && !p.frame.empty()) UnitAnswers(p.frame);  // the unit's echo
            port.writes.clear();
            window.messages.clear();
            Click(p.button);
            EXPECT_EQ(p.told ? Lines{p.told} : Lines{}, window.messages) << p.button << " " << p.value;
            EXPECT_EQ(p.frame.empty() ? Frames{} : Frames{p.frame}, port.writes) << p.button << " " << p.value;
        }
        if (presses == &refused) {
            EXPECT_TRUE(Log().empty());
        }
    }
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

    port.refuseSettings = true;  // held, though the open failed
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
