// A unit that disappears while the port is open (its pty closes), under Wine:
// exchanges time out without crashing or spinning, and the port recovers.
#include <gtest/gtest.h>

#include "com_port.h"
#include "com_port_line.h"
#include "cpu_time.h"
#include "exchange.h"
#include "recording_log.h"
#include "register_map.h"
#include "sim_control.h"
#include "tick_clock.h"

CComPort g_comm;

namespace {

TEST(UnitGone, ExchangesTimeOutAndAPortOfANewUnitOpens) {
    const uint32_t firstCom = static_cast<uint32_t>(ComNumber());
    const uint32_t secondCom = static_cast<uint32_t>(ComNumber("_2"));
    ASSERT_GT(firstCom, 0u);
    ASSERT_GT(secondCom, 0u);
    SimControl firstSim;
    ASSERT_TRUE(firstSim.Connected());

    ComPortLine line(g_comm);
    TickClock clock;
    RecordingLog log;
    ModbusExchange exchange(line, clock, log, [] { return 9600; });
    const auto readVoltage = [&] {
        return exchange.Exchange(ReadVoltageRequest(1), kVoltageReplyLength, true, true, false);
    };

    ASSERT_TRUE(line.Open(firstCom, 9600));
    ASSERT_EQ(readVoltage(), ExchangeResult::Ok);

    EXPECT_EQ(firstSim.Command("quit").substr(0, 2), "ok");
    Sleep(300);  // the sim closes its pty as it ends

    const uint64_t cpuBefore = ProcessCpuMs();
    const DWORD start = GetTickCount();
    EXPECT_EQ(readVoltage(), ExchangeResult::Timeout);
    EXPECT_EQ(readVoltage(), ExchangeResult::Timeout);
    const DWORD took = GetTickCount() - start;
    EXPECT_LT(took, 11000u);
    EXPECT_LT(ProcessCpuMs() - cpuBefore, 1000u) << "CPU ms over two 5 s exchanges, monitor included";

    const DWORD closeStart = GetTickCount();
    line.Close();
    EXPECT_LT(GetTickCount() - closeStart, 100u);
    EXPECT_FALSE(line.IsOpen());

    ASSERT_TRUE(line.Open(secondCom, 9600));
    EXPECT_EQ(readVoltage(), ExchangeResult::Ok);
    line.Close();
}

}  // namespace
