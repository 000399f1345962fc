#include <optional>

#include "console_fixture.h"

namespace {

// The fixture's window is 1000 x 710 at (200, 100) in full, 746 wide in user mode.
TEST_F(ConsoleTest, OnlyTheWholePasswordConfirmedWithOkWidensTheWindowInPlace) {
    OpenPort();
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
        EXPECT_EQ(746, widthWhileTold) << "the column shows only once the message is closed";
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

}  // namespace
