#include <cstdlib>

#include "multi_unit_fixture.h"

namespace {

const std::vector<std::vector<FakeListView::Column>> kColumns = {
    {{"设备地址", 60}, {"电池1电压(V)", 90}}, {{"电池2电压(V)", 90}}, {{"电池3电压(V)", 90}}, {{"电池4电压(V)", 90}},
    {{"成功次数", 90}, {"失败次数", 90}},
};

}  // namespace

TEST_F(MultiUnitTest, AFreshWindowShowsItsDefaultsOverAnEmptyColourBandedTable) {
    const std::vector<std::string> texts = {"COM1", "9600", "1", "16", "500"};
    const int ids[] = {IDC_COMBO_MU_PORT, IDC_COMBO_MU_BAUD, IDC_EDIT_FIRST_ADDRESS, IDC_EDIT_DEVICE_COUNT,
                       IDC_EDIT_PERIOD};
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

// A period below 500 ms or none, or more than 16 units, is refused without
// opening the port; a cycle running in another window refuses the start too.
TEST_F(MultiUnitTest, AStartIsRefusedBelow500MsAbove16UnitsOrWhileAnotherWindowRuns) {
    const struct {
        const char* period;
        const char* count;
        const char* message;
    } cases[] = {{"499", "16", "采集周期应不小于500ms!"},
                 {"abc", "16", "采集周期应不小于500ms!"},
                 {"", "16", "采集周期应不小于500ms!"},
                 {"500", "17", "设备数目应不大于16!"}};
    for (const auto& c : cases) {
        mu.window.texts[IDC_EDIT_PERIOD] = c.period;
        mu.window.texts[IDC_EDIT_DEVICE_COUNT] = c.count;
        mu.window.messages.clear();
        mu.ClickAcquire();
        EXPECT_EQ(std::vector<std::string>{c.message}, mu.window.messages) << c.period;
        EXPECT_EQ("采集", mu.window.texts[IDC_BTN_ACQUIRE]);
        EXPECT_FALSE(line.IsOpen());
    }
    mu.window.texts[IDC_EDIT_PERIOD] = "500";
    Start("1", "2");
    EXPECT_EQ(500u, mu.window.timerPeriodMs);
    EXPECT_FALSE(mu.window.IsEnabled(IDC_BTN_EXCEL));
    EXPECT_EQ(1, line.openCom);
    EXPECT_EQ(9600u, line.openBaud);

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

// Every start rebuilds the table from scratch, its counts afresh; a stop
// leaves it as it is. A count of zero or less polls the first address without
// rows; a station is the low byte of its address.
TEST_F(MultiUnitTest, RowsAreLabelledFromTheFirstAddressAndTheStationsPolledInTurn) {
    std::vector<int> sixteen;
    std::vector<std::string> labels;
    for (int address = 1; address <= 16; ++address) {
        sixteen.push_back(address);
        labels.push_back(std::to_string(address));
    }
    sixteen.insert(sixteen.end(), {1, 2});
    const struct {
        const char* first;
        const char* count;
        std::vector<int> stations;
        std::vector<std::string> labels;
    } cases[] = {{"1", "16", sixteen, labels},
                 {"5", "3", {5}, {"5", "6", "7"}},
                 {"1", "0", {1, 1, 1}, {}},
                 {"7", "-3", {7, 7, 7}, {}},
                 {"256", "2", {0, 1, 0}, {"256", "257"}},
                 {"2147483647", "2", {255, 0, 255}, {"2147483647", "2147483648"}}};
    for (const auto& c : cases) {
        line.writes.clear();
        Start(c.first, c.count);
        Tick(static_cast<int>(c.stations.size()));
        EXPECT_EQ(c.stations, Stations()) << c.first;
        EXPECT_EQ(c.labels, Labels()) << c.first;
        for (size_t list = 0; list < kTableListCount; ++list) {
            EXPECT_EQ(kColumns[list], mu.lists[list].columns);
            EXPECT_EQ(c.labels.size(), mu.lists[list].rows.size());
        }
        int polled = 0;
        for (const auto& row : mu.lists[kCounts].rows)
            polled += std::atoi(row.at(0).c_str());  // an empty cell: not yet polled
        EXPECT_EQ(c.labels.empty() ? 0u : c.stations.size(), static_cast<size_t>(polled)) << c.first;
        const auto table = mu.lists;
        mu.ClickAcquire();
        EXPECT_FALSE(mu.window.timerRunning);
        EXPECT_TRUE(mu.window.IsEnabled(IDC_BTN_EXCEL));
        for (size_t list = 0; list < kTableListCount; ++list) EXPECT_EQ(table[list].rows, mu.lists[list].rows);
    }
}

// The list is read anew at each drop-down: COM1 to COM12, then the machine's
// ports above 12 in numeric order, each once, names that are no COM port left
// out. The selection stays on its port while that is listed; a start opens
// the port the selected item names.
TEST_F(MultiUnitTest, ThePortListFollowsTheMachineAtEachDropDownAndTheSelectedPortIsTheOneOpened) {
    mu.ports.names = {"COM27", "COM100", "COM27",  "com40", "COM3",           "COM12", "COM",
                      "COM0",  "COM015", "COM15:", "LPT17", "COM99999999999", ""};
    mu.dlg.OnDropDown(IDC_COMBO_MU_PORT);
    std::vector<std::string> expected;
    for (int n : {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 27, 40, 100}) expected.push_back("COM" + std::to_string(n));
    EXPECT_EQ(expected, mu.window.comboItems[IDC_COMBO_MU_PORT]);
    mu.window.SetComboSelection(IDC_COMBO_MU_PORT, 12);
    mu.ports.names = {"COM13", "COM27"};
    mu.dlg.OnDropDown(IDC_COMBO_MU_PORT);
    EXPECT_EQ("COM27", mu.window.texts[IDC_COMBO_MU_PORT]);
    Start("1", "1");
    EXPECT_EQ(27, line.openCom);
    mu.ClickAcquire();
    // Its adapter pulled out: no port is selected, and a start opens none.
    mu.ports.names.clear();
    mu.dlg.OnDropDown(IDC_COMBO_MU_PORT);
    mu.ClickAcquire();
    EXPECT_EQ(std::vector<std::string>{"打开串口失败，串口不存在或者被占用!!!"}, mu.window.messages);
}
