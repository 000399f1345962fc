// The console's port (CComPort and the exchange over it: ComPortLine,
// TickClock) and the multi-unit cycle's (Win32UnitLine) on COM ports that are
// lumeric-sim ptys, under Wine. Every test uses the first sim; the last one
// ends the second. The good exchanges over these ports are proven through the
// real exe (tests/e2e/console).
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include "com_port.h"
#include "com_port_line.h"
#include "cpu_time.h"
#include "exchange.h"
#include "recording_log.h"
#include "register_map.h"
#include "sim_control.h"
#include "tick_clock.h"
#include "win32_unit_line.h"

CComPort g_comm;

namespace {

// Nothing is linked as this COM number in the test prefix.
constexpr uint32_t kMissingPort = 1024;
using Words = std::vector<DWORD>;

bool IsClosed(const CComPort& port) { return port.m_hComm == INVALID_HANDLE_VALUE && port.m_hThread == nullptr; }

HANDLE DuplicateThreadHandle(HANDLE thread) {
    HANDLE copy = nullptr;
    DuplicateHandle(GetCurrentProcess(), thread, GetCurrentProcess(), &copy, 0, FALSE, DUPLICATE_SAME_ACCESS);
    return copy;
}

// Closes `port` and returns how long that took; its monitor must have ended
// (a terminated one within a second more) with `exitCode`.
DWORD TimedClose(CComPort& port, DWORD exitCode) {
    HANDLE monitor = DuplicateThreadHandle(port.m_hThread);
    const DWORD start = GetTickCount();
    port.Close();
    const DWORD took = GetTickCount() - start;
    DWORD code = 99;
    EXPECT_TRUE(WaitForSingleObject(monitor, 1000) == WAIT_OBJECT_0 && GetExitCodeThread(monitor, &code)) << took;
    EXPECT_EQ(code, exitCode);
    EXPECT_TRUE(IsClosed(port));
    CloseHandle(monitor);
    return took;
}

// What a port handle was given: its DCB, and its five time-outs in their order.
std::pair<DCB, Words> SettingsOf(HANDLE port) {
    DCB dcb{};
    dcb.DCBlength = sizeof dcb;
    COMMTIMEOUTS t{};
    EXPECT_TRUE(GetCommState(port, &dcb) && GetCommTimeouts(port, &t));
    return {dcb,
            {t.ReadIntervalTimeout, t.ReadTotalTimeoutMultiplier, t.ReadTotalTimeoutConstant,
             t.WriteTotalTimeoutMultiplier, t.WriteTotalTimeoutConstant}};
}
Words Framing(const DCB& d) { return {d.BaudRate, d.ByteSize, d.Parity, d.StopBits}; }
Words Handshake(const DCB& d) { return {d.fOutxCtsFlow, d.fOutxDsrFlow, d.fRtsControl, d.fDtrControl}; }
Words Translation(const DCB& d) { return {d.fNull, d.fErrorChar, d.fOutX, d.fInX}; }

// Leaves COM `number` as a terminal program may: XON/XOFF both ways, NUL
// stripping and error replacement on. What the driver then reports.
DCB LeaveTerminalSettings(uint32_t number) {
    HANDLE raw = CreateFileA(("\\\\.\\COM" + std::to_string(number)).c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                             OPEN_EXISTING, 0, nullptr);
    EXPECT_NE(raw, INVALID_HANDLE_VALUE);
    DCB dcb = SettingsOf(raw).first;
    dcb.fNull = dcb.fErrorChar = dcb.fOutX = dcb.fInX = TRUE;
    EXPECT_TRUE(SetCommState(raw, &dcb));
    dcb = SettingsOf(raw).first;
    CloseHandle(raw);
    return dcb;
}

class ComPortTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_GT(com, 0) << "LUMERIC_COM is not set"; }
    void TearDown() override { g_comm.Close(); }
    const uint32_t com = static_cast<uint32_t>(ComNumber());
};

TEST_F(ComPortTest, FailedOpensCloseTheOpenPortAndCloseTwiceIsHarmless) {
    // Out of range, then in range with nothing behind it.
    for (uint32_t bad : {0u, 1025u, kMissingPort}) {
        ASSERT_TRUE(g_comm.Open(com, 9600));
        EXPECT_FALSE(g_comm.Open(bad, 9600)) << bad;
        EXPECT_TRUE(IsClosed(g_comm)) << bad;
    }
    EXPECT_STREQ(g_comm.m_portName, "\\\\.\\COM1024");
    ASSERT_TRUE(g_comm.Open(com, 9600));
    g_comm.Close();
    g_comm.Close();
    EXPECT_TRUE(IsClosed(g_comm));
    EXPECT_TRUE(g_comm.Open(com, 9600));
}

// Both ports set speed and framing and switch off what a terminal program
// may have left on the port, keeping the driver's hardware handshake; the
// cycle's also sets its own time-outs and DTR. Not the cycle's DTR: Wine
// reports it as enabled on a pty whatever was set.
TEST_F(ComPortTest, EachPortOpensWithItsSpeedFramingAndTimeoutsAndNoTranslationOrXonXoff) {
    const DCB left = LeaveTerminalSettings(com);
    ASSERT_EQ(Translation(left), (Words{0, 0, 1, 1})) << "Wine keeps XON/XOFF, though not the other two";
    ASSERT_TRUE(g_comm.Open(com, 19200));
    const auto console = SettingsOf(g_comm.m_hComm);
    g_comm.Close();
    LeaveTerminalSettings(com);
    Win32UnitLine cycle;
    EXPECT_FALSE(cycle.Open(kMissingPort, 9600));
    ASSERT_TRUE(cycle.Open(com, 9600));
    const auto polling = SettingsOf(cycle.Handle());

    EXPECT_EQ(Framing(console.first), (Words{19200, 8, NOPARITY, ONESTOPBIT}));
    EXPECT_EQ(Translation(console.first), (Words{0, 0, 0, 0}));
    EXPECT_EQ(Handshake(console.first), Handshake(left));
    EXPECT_EQ(console.second, (Words{0, 1, 1000, 1, 1000}));
    EXPECT_EQ(Framing(polling.first), (Words{9600, 8, NOPARITY, ONESTOPBIT}));
    EXPECT_EQ(Translation(polling.first), (Words{0, 0, 0, 0}));
    EXPECT_FALSE(polling.first.fAbortOnError);
    EXPECT_EQ(polling.second, (Words{100, 5, 5, 50, 100}));
}

TEST_F(ComPortTest, IdleMonitorWaitsWithoutSpinningPostsToItsWindowAndCloseEndsItWithin100ms) {
    ASSERT_TRUE(g_comm.Open(com, 9600));
    HANDLE monitor = DuplicateThreadHandle(g_comm.m_hThread);
    // WaitCommEvent fails at once on this port, as on a pulled USB adapter.
    const uint64_t before = ThreadCpuMs(monitor);
    Sleep(2000);
    EXPECT_LT(ThreadCpuMs(monitor) - before, 100u) << "monitor thread CPU over 2 s, in ms";
    ASSERT_NE(WaitForSingleObject(monitor, 0), WAIT_OBJECT_0) << "it ended by itself: its event mask was refused";

    // Which event calls which notification is proven by the unit tests; here
    // one crosses to a window through the real PostMessage.
    HWND window = CreateWindowExA(0, "STATIC", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    g_comm.m_hNotifyWnd = window;
    g_comm.NotifyReceive();
    g_comm.m_hNotifyWnd = nullptr;
    MSG posted{};
    ASSERT_TRUE(PeekMessageA(&posted, window, 0, 0, PM_REMOVE));
    EXPECT_EQ((std::vector<WPARAM>{posted.message, posted.wParam}), (std::vector<WPARAM>{1642, com}));
    DestroyWindow(window);

    CloseHandle(monitor);
    EXPECT_LT(TimedClose(g_comm, 0), 100u) << "it had to be terminated";
}

// A monitor of a derived class that never looks at the stop flag.
struct StubbornMonitorPort : CComPort {
    DWORD MonitorLoop() override {
        m_monitorInLoop = true;
        for (;;) Sleep(1000);
    }
};

// A monitor that leaves its loop at once but is slow to end (a slow
// thread-exit routine, as on a busy machine).
struct SlowThreadExit {
    ~SlowThreadExit() { Sleep(300); }
};
struct SlowToEndMonitorPort : CComPort {
    DWORD MonitorLoop() override {
        thread_local SlowThreadExit slowExit;
        while (m_threadRunning) Sleep(1);
        return 0;
    }
};

// Only a monitor still in its loop 100 ms on is terminated; one past its loop
// is left to end, not terminated in the middle of its exit.
TEST_F(ComPortTest, MonitorIgnoringTheStopIsTerminatedAfter100msAndOnePastItsLoopIsLeftToEnd) {
    StubbornMonitorPort stubborn;
    EXPECT_TRUE(IsClosed(stubborn)) << "a new port starts closed";
    ASSERT_TRUE(stubborn.Open(com, 9600));
    const DWORD took = TimedClose(stubborn, 0);
    EXPECT_TRUE(took >= 95 && took < 300) << took;  // tick granularity
    SlowToEndMonitorPort slowToEnd;
    ASSERT_TRUE(slowToEnd.Open(com, 9600));
    EXPECT_GE(TimedClose(slowToEnd, 0), 295u) << "not waited for";
}

// A monitor whose event mask is refused (here on a pipe, which has no line
// events) tells the operator in a box. A Close meanwhile must not terminate
// it there: it waits until the box is answered and the thread has ended.
TEST(ComPortMonitorTest, MonitorShowingTheRefusedMaskIsLeftToEndNotTerminated) {
    const std::string name = "\\\\.\\pipe\\lm" + std::to_string(GetCurrentProcessId());
    HANDLE server =
        CreateNamedPipeA(name.c_str(), PIPE_ACCESS_DUPLEX | FILE_FLAG_OVERLAPPED, PIPE_TYPE_BYTE, 1, 0, 0, 0, nullptr);
    ASSERT_NE(server, INVALID_HANDLE_VALUE);
    CComPort port;
    std::snprintf(port.m_portName, sizeof port.m_portName, "%s", name.c_str());
    ASSERT_TRUE(port.OpenDevice());
    HWND box = nullptr;
    std::thread operatorAnswers([&box] {
        for (int i = 0; i < 500 && box == nullptr; ++i, Sleep(10)) box = FindWindowA("#32770", "Class CComPort");
        Sleep(300);  // well past the 100 ms after which a monitor in its loop is terminated
        PostMessageA(box, WM_COMMAND, IDOK, 0);
    });
    EXPECT_GE(TimedClose(port, 1), 300u) << "not waited for";
    operatorAnswers.join();
    EXPECT_NE(box, nullptr) << "no box showed, or it went with a terminated thread";
    CloseHandle(server);
}

// The console's line goes with its window while the port lives on with the
// program: a write still held back (by flow control; here by a pipe that
// nobody reads) must end before the line and its buffer go.
TEST(ComPortLineTest, AWriteStillHeldBackEndsBeforeTheLineGoes) {
    const std::wstring name = L"\\\\.\\pipe\\lumeric-held-write-" + std::to_wstring(GetCurrentProcessId());
    HANDLE reader =
        CreateNamedPipeW(name.c_str(), PIPE_ACCESS_INBOUND | FILE_FLAG_OVERLAPPED, PIPE_TYPE_BYTE, 1, 0, 0, 0, nullptr);
    ASSERT_NE(reader, INVALID_HANDLE_VALUE);
    CComPort port;
    port.m_hComm = CreateFileW(name.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, FILE_FLAG_OVERLAPPED, nullptr);
    ASSERT_NE(port.m_hComm, INVALID_HANDLE_VALUE);
    {
        ComPortLine line(port);
        const RequestFrame reset = SoftwareResetRequest(1);
        line.StartWrite(reset.data(), static_cast<uint32_t>(reset.size()));
        ASSERT_FALSE(HasOverlappedIoCompleted(&port.m_writeOverlapped)) << "the write was not held back";
    }
    EXPECT_TRUE(HasOverlappedIoCompleted(&port.m_writeOverlapped));
    CloseHandle(reader);  // the port closes its end as it goes
}

// A unit's reply that comes after its wait has ended must not become the
// next unit's: the cycle's port drops what is queued before each poll.
TEST_F(ComPortTest, TheCyclesPurgeDropsAReplyAlreadyQueued) {
    SimControl sim;
    for (const char* command : {"fault 1 none", "set 1 baud 9600"}) ASSERT_TRUE(sim.Ok(command)) << command;
    Win32UnitLine cycle;
    ASSERT_TRUE(cycle.Open(com, 9600));
    const RequestFrame request = ReadFourVoltagesRequest(1);
    cycle.Write(request.data(), static_cast<uint32_t>(request.size()));
    for (int i = 0; i < 100 && cycle.QueuedCount() < kFourVoltagesReplyLength; ++i) Sleep(10);
    ASSERT_EQ(cycle.QueuedCount(), kFourVoltagesReplyLength);
    cycle.Purge();
    EXPECT_EQ(cycle.QueuedCount(), 0u);
}

// The port closes with the base class's TearDown.
class ExchangeTest : public ComPortTest {
protected:
    void SetUp() override {
        ASSERT_NO_FATAL_FAILURE(ComPortTest::SetUp());
        // The first sim serves every test of this program: undo what earlier tests set.
        for (const char* command : {"fault 1 none", "set 1 baud 9600", "clearlog"})
            ASSERT_TRUE(sim.Ok(command)) << command;
        ASSERT_TRUE(line.Open(com, 9600));
    }
    ExchangeResult ReadVoltage() { return exchange.Exchange(ReadVoltageRequest(1), kVoltageReplyLength, {}); }

    SimControl sim;
    ComPortLine line{g_comm};
    TickClock clock;
    RecordingLog log;
    ModbusExchange exchange{line, clock, log, [] { return 9600; }};
};

TEST_F(ExchangeTest, ReadStillPendingAfterItsShortWaitIsCancelledBeforeItReturns) {
    std::vector<uint8_t> early(16, 0xAA);
    const DWORD start = GetTickCount();
    const ReadResult nothing = line.Read(early.data(), 16, 10);
    EXPECT_LT(GetTickCount() - start, 100u);
    EXPECT_TRUE(!nothing.failed && nothing.count == 0);

    // The reply that follows must neither land in the old buffer nor be swallowed.
    const RequestFrame request = ReadVoltageRequest(1);
    line.StartWrite(request.data(), static_cast<uint32_t>(request.size()));
    // The unit answers within a few milliseconds; give it ample time.
    for (int i = 0; i < 100 && line.QueryStatus().queued < kVoltageReplyLength; ++i) Sleep(10);
    ASSERT_GE(line.QueryStatus().queued, kVoltageReplyLength);
    EXPECT_EQ(early, std::vector<uint8_t>(16, 0xAA));

    // Asking for more than came pends, is cancelled, and still counts what landed.
    uint8_t reply[16] = {};
    const ReadResult got = line.Read(reply, sizeof reply, 10);
    ASSERT_TRUE(!got.failed && got.count == kVoltageReplyLength) << got.count;
    EXPECT_TRUE(VerifyReply(reply, kVoltageReplyLength));
}

// A unit that stays silent, and one that vanishes while its port is open (the
// second sim ends and closes its pty): each exchange waits out its 5000 ms
// without spinning, and the port still closes and opens.
TEST_F(ExchangeTest, SilentOrVanishedUnitTimesOutAfter5000msWithoutSpinningAndThePortStillClosesAndOpens) {
    const uint32_t goneCom = static_cast<uint32_t>(ComNumber("_2"));
    SimControl goneSim("_2");
    ASSERT_GT(goneCom, 0u) << "LUMERIC_COM_2 is not set";
    // Twice once vanished: the first failure must not leave the line spinning.
    for (const std::string how : {"silent", "vanished", "still vanished"}) {
        SCOPED_TRACE(how);
        if (how == "silent") {
            ASSERT_TRUE(sim.Ok("fault 1 silent"));
        }
        if (how == "vanished") {
            ASSERT_TRUE(line.Open(goneCom, 9600) && ReadVoltage() == ExchangeResult::Ok && goneSim.Ok("quit"));
            Sleep(300);  // the sim closes its pty as it ends
        }
        log.lines.clear();
        const uint64_t cpuBefore = ProcessCpuMs();
        const DWORD start = GetTickCount();
        EXPECT_EQ(ReadVoltage(), ExchangeResult::Timeout);
        const DWORD took = GetTickCount() - start;
        EXPECT_TRUE(took >= 5000 && took < 5500) << took;
        EXPECT_LT(ProcessCpuMs() - cpuBefore, 500u) << "CPU ms over the 5 s wait, monitor included";
        EXPECT_EQ(log.lines, std::vector<std::string>{"发: 01 03 00 40 00 01 85 DE"});
        // A pty whose other end has closed fails ClearCommError, as a pulled USB adapter does.
        EXPECT_EQ(line.Gone(), how != "silent");
    }
    const DWORD closeStart = GetTickCount();
    line.Close();
    EXPECT_LT(GetTickCount() - closeStart, 100u);
    EXPECT_FALSE(line.IsOpen());
    ASSERT_TRUE(line.Open(com, 9600));
    ASSERT_TRUE(sim.Ok("fault 1 none"));
    EXPECT_EQ(ReadVoltage(), ExchangeResult::Ok);
}

}  // namespace
