// The multi-unit cycle's port on Win32 (Win32UnitLine) on a COM port that is
// a lumeric-sim pty, under Wine: the settings it gives the port. The real
// exe's windows poll through it in the multi-unit end-to-end test.
#include <gtest/gtest.h>

#include <vector>

#include "sim_control.h"
#include "win32_unit_line.h"

TEST(UnitLineTest, OpensWithTheCyclesLineSettingsAndTimeouts) {
    const int com = ComNumber();
    ASSERT_GT(com, 0) << "LUMERIC_COM is not set";
    Win32UnitLine port;
    EXPECT_FALSE(port.Open(999, 9600)) << "nothing is linked as COM999";
    ASSERT_TRUE(port.Open(com, 9600));

    DCB dcb{};
    dcb.DCBlength = sizeof dcb;
    ASSERT_TRUE(GetCommState(port.Handle(), &dcb));
    EXPECT_EQ(dcb.BaudRate, 9600u);
    EXPECT_EQ(dcb.ByteSize, 8);
    EXPECT_EQ(dcb.Parity, NOPARITY);
    EXPECT_EQ(dcb.StopBits, ONESTOPBIT);
    // Not DTR: Wine reports its control as enabled whatever was set on a pty.
    EXPECT_FALSE(dcb.fAbortOnError);
    COMMTIMEOUTS t{};
    ASSERT_TRUE(GetCommTimeouts(port.Handle(), &t));
    const std::vector<DWORD> timeouts = {t.ReadIntervalTimeout, t.ReadTotalTimeoutMultiplier, t.ReadTotalTimeoutConstant,
                                         t.WriteTotalTimeoutMultiplier, t.WriteTotalTimeoutConstant};
    EXPECT_EQ(timeouts, (std::vector<DWORD>{100, 5, 5, 50, 100}));
    port.Close();
    EXPECT_FALSE(port.IsOpen());
}
