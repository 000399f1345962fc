#include <map>
#include <optional>

#include "console_fixture.h"

// The fixture's window is 1000 x 710 at (200, 100) in full.
TEST_F(ConsoleTest, StartsNarrowedTo746PixelsInUserModeWithItsDefaults) {
    EXPECT_TRUE(initResult);
    EXPECT_EQ(1, window.iconSets);
    EXPECT_EQ(746, window.rect.Width());
    const std::map<int, FakeDialogWindow::Font> fonts = {
        {IDC_LIST_LOG, {"Arial", 120}},           {IDC_STATIC_VOLTAGE, {"Arial", 280}},
        {IDC_STATIC_DEVICE_NAME, {"Arial", 100}}, {IDC_STATIC_SW_VERSION, {"Arial", 100}},
        {IDC_STATIC_VENDOR, {"Arial", 100}},      {IDC_STATIC_PROTOCOL_VERSION, {"Arial", 100}},
    };
    EXPECT_EQ(fonts, window.fonts);
    EXPECT_EQ(0x0804, window.listLocales[IDC_LIST_LOG]) << "the log sorts in Chinese (PRC) order";

    const std::map<int, std::string> texts = {
        {IDC_COMBO_PORT, "1"}, {IDC_COMBO_BAUD, "9600"}, {IDC_EDIT_ADDRESS, "1"}, {IDC_EDIT_POLL_INTERVAL, "1000"}};
    for (const auto& [id, text] : texts) EXPECT_EQ(text, Text(id)) << id;
    EXPECT_EQ(-1, window.GetComboSelection(IDC_COMBO_DEVICE_BAUD));
    EXPECT_EQ(-1, window.GetComboSelection(IDC_COMBO_CAL_CHANNEL));
    EXPECT_TRUE(window.IsEnabled(IDC_BTN_OPEN));
    EXPECT_TRUE(window.IsEnabled(IDC_BTN_MULTI));
    for (int id : kSeventeen) EXPECT_FALSE(window.IsEnabled(id)) << id;
    EXPECT_FALSE(port.IsOpen());
}

// Widening and narrowing keep the window's place and height. The column
// shows only once the success message is closed.
TEST_F(ConsoleTest, OnlyTheWholePasswordConfirmedWithOkWidensTheWindowInPlace) {
    const struct {
        std::optional<std::string> typed;  // nothing: closed with Esc or the close box
        std::vector<std::string> messages;
    } refused[] = {{std::nullopt, {}}, {"", {"密码错误!"}}, {"5071930", {"密码错误!"}}, {" 507193", {"密码错误!"}}};
    for (const auto& c : refused) {
        window.messages.clear();
        window.passwordAnswer = c.typed;
        Click(IDC_BTN_FACTORY_MODE);
        EXPECT_EQ(c.messages, window.messages);
        EXPECT_EQ(746, window.rect.Width());
        EXPECT_EQ("厂家模式", Text(IDC_BTN_FACTORY_MODE));
    }

    int widthWhileTold = 0;
    window.whileMessageShows = [&](const std::string&) { widthWhileTold = window.rect.Width(); };
    window.passwordAnswer = "507193";
    for (int round = 0; round < 2; ++round) {
        window.messages.clear();
        Click(IDC_BTN_FACTORY_MODE);
        EXPECT_EQ(std::vector<std::string>{"操作成功!"}, window.messages);
        EXPECT_EQ(746, widthWhileTold);
        EXPECT_EQ(1000, window.rect.Width());
        EXPECT_EQ("用户模式", Text(IDC_BTN_FACTORY_MODE));
        // Back to user mode: no password, no message.
        Click(IDC_BTN_FACTORY_MODE);
        EXPECT_EQ(746, window.rect.Width());
        EXPECT_EQ("厂家模式", Text(IDC_BTN_FACTORY_MODE));
        EXPECT_EQ(1u, window.messages.size());
    }
    EXPECT_EQ(6, window.passwordPrompts);
    EXPECT_EQ(200, window.rect.left);
    EXPECT_EQ(100, window.rect.top);
    EXPECT_EQ(710, window.rect.Height());
}
