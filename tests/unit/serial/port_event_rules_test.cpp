#include "port_event_rules.h"

#include <gtest/gtest.h>

#include <cstring>

// Each watched flag alone calls for its own notification; none, a
// combination (receive with a line error), EV_RXFLAG (not watched) or an
// unknown flag call for nothing.
TEST(PortEventDispatch, EachSingleFlagCallsForItsOwnNotificationAndAnythingElseForNothing) {
    using N = PortNotification;
    const struct {
        uint32_t word;
        PortNotification notification;
    } cases[] = {{0x0001, N::Receive},
                 {0x0004, N::TxEmpty},
                 {0x0008, N::Cts},
                 {0x0010, N::Dsr},
                 {0x0020, N::Rlsd},
                 {0x0040, N::Break},
                 {0x0080, N::Error},
                 {0x0100, N::Ring},
                 {0, N::None},
                 {0x0081, N::None},
                 {0x0002, N::None},
                 {0x0200, N::None},
                 {PortEvent::DefaultMask, N::None}};
    for (const auto& c : cases) EXPECT_EQ(c.notification, NotificationForEvent(c.word)) << c.word;
    // The default watch is every event but EV_RXFLAG.
    static_assert(PortEvent::DefaultMask == 0x1FDu);
}

TEST(PortEventDispatch, ReceiveIsReportedFromTheThresholdOn) {
    EXPECT_TRUE(ReceiveReachesThreshold(0, 0));  // threshold 0: every receive event
    EXPECT_TRUE(ReceiveReachesThreshold(7, 7));
    EXPECT_TRUE(ReceiveReachesThreshold(8, 7));
    EXPECT_FALSE(ReceiveReachesThreshold(6, 7));
    // Unsigned: a threshold above 2^31 is not a negative number that everything reaches.
    EXPECT_FALSE(ReceiveReachesThreshold(4096, 0x80000000u));
    EXPECT_TRUE(ReceiveReachesThreshold(0xFFFFFFFFu, 0x80000000u));
}

TEST(SetCommMaskFailureText, WritesHandleAndMaskInLowerCaseHexWithin255Characters) {
    EXPECT_EQ(SetCommMaskFailureText("com_port.cpp", 42, 5, 0x7C, 0x1FD, 87),
              "com_port.cpp(42) : COM5 Call WINAPI SetCommMask(7c, 1fd) Fail, thread work invalid! "
              "GetLastError() = 87;");
    const std::string longName(400, 'x');
    const std::string text = SetCommMaskFailureText(longName.c_str(), 1, 1024, 0xFFFFFFFFu, 0x1FD, 5);
    EXPECT_EQ(text.size(), 255u);
    EXPECT_EQ(text.compare(0, 10, "xxxxxxxxxx"), 0);
}
