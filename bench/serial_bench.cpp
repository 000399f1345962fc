// CPU of the Windows process under Wine: one exchange with a silent unit (the
// whole 5000 ms wait), and the port open and idle for 10 s (the monitor
// thread). Prints figures; judges nothing.
#include <cstdio>

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

void Report(const char* what, uint64_t cpuMs, DWORD wallMs) {
    std::printf("%-44s %5llu ms CPU over %5lu ms = %5.2f%% of one core (aim: under 2%%)\n", what,
                static_cast<unsigned long long>(cpuMs), static_cast<unsigned long>(wallMs),
                wallMs ? 100.0 * static_cast<double>(cpuMs) / wallMs : 0.0);
}

}  // namespace

int main() {
    const uint32_t com = static_cast<uint32_t>(ComNumber());
    SimControl sim;
    ComPortLine line(g_comm);
    if (com == 0 || !sim.Connected() || !line.Open(com, 9600)) {
        std::fprintf(stderr, "serial_bench: no simulated unit (LUMERIC_COM, LUMERIC_SIM_CONTROL)\n");
        return 1;
    }
    sim.Command("fault 1 silent");
    TickClock clock;
    RecordingLog log;
    ModbusExchange exchange(line, clock, log, [] { return 9600; });

    uint64_t cpu = ProcessCpuMs();
    DWORD start = GetTickCount();
    exchange.Exchange(ReadVoltageRequest(1), kVoltageReplyLength, ExchangeOptions{});
    Report("Wine: silent 5000 ms exchange (process)", ProcessCpuMs() - cpu, GetTickCount() - start);

    cpu = ProcessCpuMs();
    start = GetTickCount();
    Sleep(10000);
    Report("Wine: port open and idle (process)", ProcessCpuMs() - cpu, GetTickCount() - start);
    line.Close();
    return 0;
}
