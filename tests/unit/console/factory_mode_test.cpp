#include <optional>

#include "console_fixture.h"

namespace {

// The fixture's window is 1000 x 710 in full, 746 wide in user mode.
constexpr int kFullWidth = 1000;
constexpr int kUserWidth = 746;

TEST_F(ConsoleTest, OnlyTheWholePasswordConfirmedWithOkOpensFactoryMode) {
    OpenPort();
    const struct {
        std::optional<std::string> typed;
        std::vector<std::string> messages;
    } refused[] = {
        {std::nullopt, {}},  // closed with Esc or the close box
        {"", {"密码错误!"}},
        {"5071930", {"密码错误!"}},
        {" 507193", {"密码错误!"}},
    };
    for (const auto& c : refused) {
        window.messages.clear();
        window.passwordAnswer = c.typed;
        Click(IDC_BTN_FACTORY_MODE);
        EXPECT_EQ(c.messages, window.messages);
        EXPECT_EQ(kUserWidth, window.rect.Width());
        EXPECT_EQ("厂家模式", Text(IDC_BTN_FACTORY_MODE));
    }
    EXPECT_EQ(4, window.passwordPrompts);

    int widthWhileTold = 0;
    window.whileMessageShows = [&](const std::string&) { widthWhileTold = window.rect.Width(); };
    window.messages.clear();
    window.passwordAnswer = "507193";
    Click(IDC_BTN_FACTORY_MODE);
    EXPECT_EQ(std::vector<std::string>{"操作成功!"}, window.messages);
    EXPECT_EQ(kUserWidth, widthWhileTold) << "the column shows only once the message is closed";
    EXPECT_EQ(kFullWidth, window.rect.Width());
    EXPECT_EQ("用户模式", Text(IDC_BTN_FACTORY_MODE));
}

TEST_F(ConsoleTest, SwitchingBackAndForthGivesTheSameTwoWidthsInPlace) {
    OpenPort();
    window.passwordAnswer = "507193";
    for (int round = 0; round < 3; ++round) {
        Click(IDC_BTN_FACTORY_MODE);
        EXPECT_EQ(kFullWidth, window.rect.Width());
        Click(IDC_BTN_FACTORY_MODE);
        EXPECT_EQ(kUserWidth, window.rect.Width());
        EXPECT_EQ("厂家模式", Text(IDC_BTN_FACTORY_MODE));
    }
    // Leaving factory mode asks nothing and says nothing.
    EXPECT_EQ(3, window.passwordPrompts);
    EXPECT_EQ(3u, window.messages.size());
    EXPECT_EQ(710, window.rect.Height());
    EXPECT_EQ(200, window.rect.left);
    EXPECT_EQ(100, window.rect.top);
}

}  // namespace
