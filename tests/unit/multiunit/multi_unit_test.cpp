#include "multi_unit_fixture.h"

namespace {

const std::vector<std::vector<FakeListView::Column>> kColumns = {
    {{"设备地址", 60}, {"电池1电压(V)", 90}}, {{"电池2电压(V)", 90}}, {{"电池3电压(V)", 90}},
    {{"电池4电压(V)", 90}},                   {{"成功次数", 90}, {"失败次数", 90}},
};

}  // namespace

TEST_F(MultiUnitTest, AFreshWindowShowsItsDefaultsOverAnEmptyColourBandedTable) {
    const std::vector<std::string> texts = {"COM1", "9600", "1", "16", "500"};
    const int ids[] = {IDC_COMBO_MU_PORT, IDC_COMBO_MU_BAUD, IDC_EDIT_FIRST_ADDRESS, IDC_EDIT_DEVICE_COUNT, IDC_EDIT_PERIOD};
    for (size_t i = 0; i < texts.size(); ++i) EXPECT_EQ(texts[i], mu.window.texts[ids[i]]);
    const uint32_t green = 0x00B400, yellow = 0x28C8C8;  // as COLORREF: 0x00bbggrr
    const uint32_t bands[] = {green, yellow, green, yellow, green};
    for (size_t list = 0; list < kTableListCount; ++list) {
        EXPECT_EQ(kColumns[list], mu.lists[list].columns);
        EXPECT_TRUE(mu.lists[list].rows.empty());
        EXPECT_EQ(bands[list], mu.lists[list].background) << list;
        EXPECT_EQ(0xFF0000u, mu.lists[list].textColour);  // blue
        EXPECT_EQ(0x151u, mu.lists[list].extendedStyles);
        EXPECT_EQ(19, mu.lists[list].rowHeight);
    }
}

TEST_F(MultiUnitTest, APeriodBelow500OrNoNumberIsRefusedAnd500Starts) {
    for (const char* period : {"499", "abc", ""}) {
        mu.window.texts[IDC_EDIT_PERIOD] = period;
        mu.ClickAcquire();
        EXPECT_EQ(std::vector<std::string>{"采集周期应不小于500ms!"}, mu.window.messages) << period;
        mu.window.messages.clear();
    }
    EXPECT_EQ("采集", mu.window.texts[IDC_BTN_ACQUIRE]);
    EXPECT_FALSE(line.IsOpen());
    mu.window.texts[IDC_EDIT_PERIOD] = "500";
    mu.ClickAcquire();
    EXPECT_EQ("停止", mu.window.texts[IDC_BTN_ACQUIRE]);
    EXPECT_TRUE(mu.window.timerRunning);
    EXPECT_EQ(500u, mu.window.timerPeriodMs);
    EXPECT_FALSE(mu.window.IsEnabled(IDC_BTN_EXCEL));
    EXPECT_EQ(1, line.openCom);
    EXPECT_EQ(9600u, line.openBaud);
}

TEST_F(MultiUnitTest, RowsAreLabelledFromTheFirstAddressAndRebuiltFromScratchOnARestart) {
    Start("1", "16");
    Tick(18);
    EXPECT_EQ((std::vector<int>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 1, 2}), Stations());
    std::vector<std::string> labels;
    for (int address = 1; address <= 16; ++address) labels.push_back(std::to_string(address));
    EXPECT_EQ(labels, Labels());
    for (size_t list = 0; list < kTableListCount; ++list) EXPECT_EQ(16u, mu.lists[list].rows.size());

    mu.ClickAcquire();
    EXPECT_EQ("采集", mu.window.texts[IDC_BTN_ACQUIRE]);
    EXPECT_FALSE(mu.window.timerRunning);
    EXPECT_TRUE(mu.window.IsEnabled(IDC_BTN_EXCEL));
    EXPECT_EQ("2", mu.Cell(kCounts, 0, 0)) << "a stop leaves the table as it is";

    line.writes.clear();
    Start("5", "3");
    for (size_t list = 0; list < kTableListCount; ++list) EXPECT_EQ(kColumns[list], mu.lists[list].columns);
    EXPECT_EQ((std::vector<std::string>{"5", "6", "7"}), Labels());
    Tick();
    EXPECT_EQ(std::vector<int>{5}, Stations());
    EXPECT_EQ((std::vector<std::string>{"1", "0"}), mu.lists[kCounts].rows[0]);
}

TEST_F(MultiUnitTest, CountsOfZeroOrLessPollTheFirstAddressWithoutRowsAndAddressesTakeTheirLowByte) {
    struct Case {
        const char* first;
        const char* count;
        std::vector<int> stations;
        std::vector<std::string> labels;
    };
    for (const Case& c : {Case{"1", "0", {1, 1, 1}, {}}, Case{"7", "-3", {7, 7, 7}, {}},
                          Case{"256", "2", {0, 1, 0}, {"256", "257"}},
                          Case{"2147483647", "2", {255, 0, 255}, {"2147483647", "2147483648"}}}) {
        line.writes.clear();
        Start(c.first, c.count);
        Tick(3);
        EXPECT_EQ(c.stations, Stations()) << c.first;
        EXPECT_EQ(c.labels, Labels());
        mu.ClickAcquire();
    }
}

TEST_F(MultiUnitTest, MoreThan16UnitsOrACycleRunningInAnotherWindowRefuseTheStart) {
    mu.window.texts[IDC_EDIT_DEVICE_COUNT] = "17";
    mu.ClickAcquire();
    EXPECT_EQ(std::vector<std::string>{"设备数目应不大于16!"}, mu.window.messages);
    EXPECT_FALSE(line.IsOpen());

    Start("1", "2");
    FakeMultiUnitWindow second{cycle, clock};
    second.window.SetComboSelection(IDC_COMBO_MU_PORT, 4);
    second.ClickAcquire();
    EXPECT_EQ(std::vector<std::string>{"已有窗口正在采集!"}, second.window.messages);
    EXPECT_EQ("采集", second.window.texts[IDC_BTN_ACQUIRE]);
    // The idle window's ticks and its going leave the running cycle and its port alone.
    second.dlg.OnTimer();
    second.dlg.OnClose();
    Tick();
    EXPECT_EQ(std::vector<int>{1}, Stations());
    EXPECT_EQ(1, line.openCom);
}
