#include "port_event_rules.h"

#include <gtest/gtest.h>

#include <cstring>

TEST(PortEventDispatch, EachSingleFlagCallsForItsOwnNotification) {
    EXPECT_EQ(NotificationForEvent(0x0001), PortNotification::Receive);
    EXPECT_EQ(NotificationForEvent(0x0004), PortNotification::TxEmpty);
    EXPECT_EQ(NotificationForEvent(0x0008), PortNotification::Cts);
    EXPECT_EQ(NotificationForEvent(0x0010), PortNotification::Dsr);
    EXPECT_EQ(NotificationForEvent(0x0020), PortNotification::Rlsd);
    EXPECT_EQ(NotificationForEvent(0x0040), PortNotification::Break);
    EXPECT_EQ(NotificationForEvent(0x0080), PortNotification::Error);
    EXPECT_EQ(NotificationForEvent(0x0100), PortNotification::Ring);
}

TEST(PortEventDispatch, ZeroCombinedAndUnknownWordsCallForNothing) {
    EXPECT_EQ(NotificationForEvent(0), PortNotification::None);
    EXPECT_EQ(NotificationForEvent(0x0001 | 0x0080), PortNotification::None);  // receive with line error
    EXPECT_EQ(NotificationForEvent(0x0002), PortNotification::None);  // EV_RXFLAG is not watched
    EXPECT_EQ(NotificationForEvent(0x0200), PortNotification::None);
    // The default watch is every event but EV_RXFLAG, and as a whole calls for nothing.
    EXPECT_EQ(PortEvent::DefaultMask, 0x1FDu);
    EXPECT_EQ(NotificationForEvent(PortEvent::DefaultMask), PortNotification::None);
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
