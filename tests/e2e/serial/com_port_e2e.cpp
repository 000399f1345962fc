// CComPort on a COM port that is a lumeric-sim pty, under Wine.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "com_port.h"
#include "cpu_time.h"
#include "sim_control.h"

CComPort g_comm;

namespace {

// Nothing is linked as this COM number in the test prefix.
constexpr uint32_t kMissingPort = 1024;

bool IsClosed(const CComPort& port) { return port.m_hComm == INVALID_HANDLE_VALUE && port.m_hThread == nullptr; }

bool IsSignalled(HANDLE object) { return WaitForSingleObject(object, 0) == WAIT_OBJECT_0; }

HANDLE DuplicateThreadHandle(HANDLE thread) {
    HANDLE copy = nullptr;
    DuplicateHandle(GetCurrentProcess(), thread, GetCurrentProcess(), &copy, 0, FALSE, DUPLICATE_SAME_ACCESS);
    return copy;
}

class ComPortTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_GT(com, 0) << "LUMERIC_COM is not set"; }
    void TearDown() override { g_comm.Close(); }
    const uint32_t com = static_cast<uint32_t>(ComNumber());
};

TEST(ComPortConstruction, StartsClosedWithUnnamedManualResetEvents) {
    CComPort port;
    EXPECT_TRUE(IsClosed(port));
    EXPECT_EQ(port.m_portNumber, 0u);
    EXPECT_EQ(port.m_portName[0], '\0');
    EXPECT_EQ(port.m_dcb.DCBlength, 28u);
    EXPECT_EQ(port.m_dcb.BaudRate, 0u);
    EXPECT_EQ(port.m_timeouts.ReadTotalTimeoutConstant, 0u);
    EXPECT_EQ(port.m_ioMode, static_cast<DWORD>(FILE_FLAG_OVERLAPPED));
    EXPECT_EQ(port.m_hNotifyWnd, nullptr);
    EXPECT_EQ(port.m_notifyThreshold, 0u);
    EXPECT_EQ(port.m_eventMask, 0x1FDu);
    EXPECT_FALSE(port.m_threadRunning);
    EXPECT_TRUE(port.m_autoStartThread);
    for (OVERLAPPED* record : {&port.m_readOverlapped, &port.m_writeOverlapped, &port.m_waitOverlapped}) {
        ASSERT_NE(record->hEvent, nullptr);
        EXPECT_EQ(record->Offset, 0u);
        EXPECT_FALSE(IsSignalled(record->hEvent));
        SetEvent(record->hEvent);
        EXPECT_TRUE(IsSignalled(record->hEvent));
        EXPECT_TRUE(IsSignalled(record->hEvent)) << "a wait must not reset it";
        ResetEvent(record->hEvent);
    }
}

TEST_F(ComPortTest, NumbersOutsideOneTo1024FailAndCloseTheOpenPort) {
    ASSERT_TRUE(g_comm.Open(com, 9600));
    EXPECT_FALSE(g_comm.Open(0, 9600));
    EXPECT_TRUE(IsClosed(g_comm));
    ASSERT_TRUE(g_comm.Open(com, 9600));
    EXPECT_FALSE(g_comm.Open(1025, 9600));
    EXPECT_TRUE(IsClosed(g_comm));
}

TEST_F(ComPortTest, MissingPortFailsCleanlyUnderItsFullDeviceName) {
    ASSERT_TRUE(g_comm.Open(com, 9600));
    EXPECT_FALSE(g_comm.Open(kMissingPort, 9600));
    EXPECT_TRUE(IsClosed(g_comm));
    EXPECT_STREQ(g_comm.m_portName, "\\\\.\\COM1024");
    EXPECT_EQ(std::strlen(g_comm.m_portName), 11u);
    // Still usable afterwards.
    EXPECT_TRUE(g_comm.Open(com, 9600));
}

TEST_F(ComPortTest, OpenSetsSpeedAndFramingAndKeepsTheDriversOtherSettings) {
    HANDLE raw = CreateFileA(("\\\\.\\COM" + std::to_string(com)).c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                             OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(raw, INVALID_HANDLE_VALUE);
    DCB reported{};
    reported.DCBlength = sizeof reported;
    ASSERT_TRUE(GetCommState(raw, &reported));
    CloseHandle(raw);

    ASSERT_TRUE(g_comm.Open(com, 19200));
    DCB now{};
    now.DCBlength = sizeof now;
    ASSERT_TRUE(GetCommState(g_comm.m_hComm, &now));
    EXPECT_EQ(now.BaudRate, 19200u);
    EXPECT_EQ(now.ByteSize, 8);
    EXPECT_EQ(now.Parity, NOPARITY);
    EXPECT_EQ(now.StopBits, ONESTOPBIT);
    EXPECT_EQ(g_comm.m_dcb.BaudRate, 19200u);
    EXPECT_EQ(now.fOutxCtsFlow, reported.fOutxCtsFlow);
    EXPECT_EQ(now.fRtsControl, reported.fRtsControl);
    EXPECT_EQ(now.fDtrControl, reported.fDtrControl);
    EXPECT_EQ(now.fOutX, reported.fOutX);
    EXPECT_EQ(now.fInX, reported.fInX);
}

TEST_F(ComPortTest, OpenSetsTheFiveTimeouts) {
    ASSERT_TRUE(g_comm.Open(com, 9600));
    COMMTIMEOUTS timeouts{};
    ASSERT_TRUE(GetCommTimeouts(g_comm.m_hComm, &timeouts));
    EXPECT_EQ(timeouts.ReadIntervalTimeout, 0u);
    EXPECT_EQ(timeouts.ReadTotalTimeoutMultiplier, 1u);
    EXPECT_EQ(timeouts.ReadTotalTimeoutConstant, 1000u);
    EXPECT_EQ(timeouts.WriteTotalTimeoutMultiplier, 1u);
    EXPECT_EQ(timeouts.WriteTotalTimeoutConstant, 1000u);
}

TEST_F(ComPortTest, CloseTwiceIsHarmless) {
    ASSERT_TRUE(g_comm.Open(com, 9600));
    g_comm.Close();
    EXPECT_TRUE(IsClosed(g_comm));
    g_comm.Close();
    EXPECT_TRUE(IsClosed(g_comm));
    EXPECT_TRUE(g_comm.Open(com, 9600));
}

TEST_F(ComPortTest, CloseEndsTheRunningMonitorWithin100ms) {
    ASSERT_TRUE(g_comm.Open(com, 9600));
    HANDLE monitor = DuplicateThreadHandle(g_comm.m_hThread);
    ASSERT_NE(monitor, nullptr);
    Sleep(200);
    ASSERT_FALSE(IsSignalled(monitor)) << "the monitor ended by itself: its event mask was refused";

    const DWORD start = GetTickCount();
    g_comm.Close();
    const DWORD took = GetTickCount() - start;

    EXPECT_LT(took, 100u) << "it had to be terminated";
    EXPECT_TRUE(IsSignalled(monitor));
    DWORD exitCode = 99;
    GetExitCodeThread(monitor, &exitCode);
    EXPECT_EQ(exitCode, 0u);
    EXPECT_TRUE(IsClosed(g_comm));
    CloseHandle(monitor);
}

struct Posted {
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
};

std::vector<Posted> TakePosted(HWND window) {
    std::vector<Posted> posted;
    MSG msg;
    while (PeekMessageA(&msg, window, 0, 0, PM_REMOVE)) posted.push_back({msg.message, msg.wParam, msg.lParam});
    return posted;
}

TEST_F(ComPortTest, NotificationsPostTheirMessagesWithTheComNumber) {
    HWND window = CreateWindowExA(0, "STATIC", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    ASSERT_NE(window, nullptr);
    ASSERT_TRUE(g_comm.Open(com, 9600));
    g_comm.m_hNotifyWnd = window;

    g_comm.NotifyReceive();
    g_comm.NotifyTxEmpty();
    g_comm.NotifyBreak();
    g_comm.NotifyRing();
    g_comm.NotifyRlsd();
    g_comm.NotifyError();  // no line error on this port: lParam 0
    const std::vector<Posted> posted = TakePosted(window);
    const UINT expected[] = {1642, 1650, 1649, 1647, 1648, 1651};
    ASSERT_EQ(posted.size(), 6u);
    for (size_t i = 0; i < posted.size(); ++i) {
        EXPECT_EQ(posted[i].message, expected[i]);
        EXPECT_EQ(posted[i].wParam, com);
        EXPECT_EQ(posted[i].lParam, 0);
    }

    // A pty has no modem lines: GetCommModemStatus fails, so CTS and DSR post nothing.
    g_comm.NotifyCts();
    g_comm.NotifyDsr();
    EXPECT_TRUE(TakePosted(window).empty());

    DestroyWindow(window);
    g_comm.NotifyReceive();  // the window is gone: nothing is posted, nothing breaks
    g_comm.m_hNotifyWnd = nullptr;
}

// A monitor of a derived class that never looks at the stop flag.
class StubbornMonitorPort : public CComPort {
public:
    DWORD MonitorLoop() override {
        for (;;) Sleep(1000);
    }
};

TEST_F(ComPortTest, MonitorThatIgnoresTheStopIsTerminatedAfter100ms) {
    StubbornMonitorPort port;
    ASSERT_TRUE(port.Open(com, 9600));
    HANDLE monitor = DuplicateThreadHandle(port.m_hThread);

    const DWORD start = GetTickCount();
    port.Close();
    const DWORD took = GetTickCount() - start;

    EXPECT_GE(took, 95u);  // tick granularity
    EXPECT_LT(took, 300u);
    EXPECT_TRUE(IsClosed(port));
    EXPECT_EQ(WaitForSingleObject(monitor, 1000), WAIT_OBJECT_0);
    CloseHandle(monitor);
}

TEST_F(ComPortTest, IdleMonitorDoesNotSpin) {
    // WaitCommEvent fails at once on this port, as on a pulled USB adapter.
    ASSERT_TRUE(g_comm.Open(com, 9600));
    const uint64_t before = ThreadCpuMs(g_comm.m_hThread);
    Sleep(2000);
    const uint64_t used = ThreadCpuMs(g_comm.m_hThread) - before;
    EXPECT_LT(used, 100u) << "monitor thread CPU over 2 s, in ms";
}

}  // namespace
