#include <map>

#include "console_fixture.h"

TEST_F(ConsoleTest, StartsNarrowedInUserModeWithItsDefaults) {
    EXPECT_TRUE(initResult);
    EXPECT_EQ(1, window.iconSets);
    // 1000 pixels wide in full gives 746; height and position stay.
    EXPECT_EQ(200, window.rect.left);
    EXPECT_EQ(100, window.rect.top);
    EXPECT_EQ(746, window.rect.Width());
    EXPECT_EQ(710, window.rect.Height());

    const std::map<int, FakeDialogWindow::Font> fonts = {
        {IDC_LIST_LOG, {"Arial", 120}},          {IDC_STATIC_VOLTAGE, {"Arial", 280}},
        {IDC_STATIC_DEVICE_NAME, {"Arial", 100}}, {IDC_STATIC_SW_VERSION, {"Arial", 100}},
        {IDC_STATIC_VENDOR, {"Arial", 100}},      {IDC_STATIC_PROTOCOL_VERSION, {"Arial", 100}},
    };
    EXPECT_EQ(fonts, window.fonts);
    EXPECT_EQ(0x0804, window.listLocales[IDC_LIST_LOG]) << "the log sorts in Chinese (PRC) order";

    EXPECT_EQ("1", Text(IDC_COMBO_PORT));
    EXPECT_EQ("9600", Text(IDC_COMBO_BAUD));
    EXPECT_EQ(-1, window.GetComboSelection(IDC_COMBO_DEVICE_BAUD));
    EXPECT_EQ(-1, window.GetComboSelection(IDC_COMBO_CAL_CHANNEL));
    EXPECT_EQ("1", Text(IDC_EDIT_ADDRESS));
    EXPECT_EQ("1000", Text(IDC_EDIT_POLL_INTERVAL));
    EXPECT_EQ("", Text(IDC_STATIC_OK_COUNT));
    EXPECT_EQ("", Text(IDC_STATIC_VOLTAGE));
    EXPECT_TRUE(Log().empty());
    EXPECT_EQ("打开串口", Text(IDC_BTN_OPEN));
    EXPECT_TRUE(window.IsEnabled(IDC_BTN_OPEN));
    EXPECT_TRUE(window.IsEnabled(IDC_BTN_MULTI));
    for (int id : kSeventeen) EXPECT_FALSE(window.IsEnabled(id)) << id;
    EXPECT_FALSE(port.IsOpen());
    EXPECT_TRUE(window.messages.empty());
}
