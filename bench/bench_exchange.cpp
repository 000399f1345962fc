// Figures for scripts/bench.sh: what a console exchange costs the host over a
// real pty against lumeric-sim. Prints, never judges.
//
// CPU: getrusage of this process around one exchange with a silent unit, which
// waits its full 5000 ms; shown as a share of one core over that wall time.
// Reply latency: lumeric-sim notes the CLOCK_MONOTONIC time at which it hands
// a reply's last byte to the pty (control command `lastreplyend`); this
// program takes the same clock as soon as Exchange returns. The difference is
// the time from the last byte on the wire to the console having the reply.
// Only reads whose own stamp the sim gave are counted.
#include <sys/resource.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include "exchange.h"
#include "posix_serial_line.h"
#include "register_map.h"
#include "sim_process.h"
#include "steady_clock.h"

namespace {
constexpr int kLatencySamples = 20;

class NoLog : public LogSink {
public:
    void ClearLog() override {}
    void AddLogLine(const std::string&) override {}
    void InsertLogLineAtTop(const std::string&) override {}
};

uint64_t MonotonicUs() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return uint64_t(now.tv_sec) * 1000000 + uint64_t(now.tv_nsec) / 1000;
}

uint64_t ProcessCpuUs() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    const auto us = [](const timeval& t) { return uint64_t(t.tv_sec) * 1000000 + uint64_t(t.tv_usec); };
    return us(usage.ru_utime) + us(usage.ru_stime);
}

const char* ResultName(ExchangeResult result) {
    switch (result) {
    case ExchangeResult::Ok: return "Ok";
    case ExchangeResult::Timeout: return "Timeout";
    case ExchangeResult::CrcError: return "CrcError";
    }
    return "?";
}

void MeasureSilentWait(SimProcess& sim, ModbusExchange& exchange) {
    sim.Command("fault 1 silent");
    const uint64_t wallStart = MonotonicUs();
    const uint64_t cpuStart = ProcessCpuUs();
    const ExchangeResult result = exchange.Exchange(ReadVoltageRequest(1), kVoltageReplyLength, ExchangeOptions{});
    const double cpuMs = (ProcessCpuUs() - cpuStart) / 1000.0;
    const double wallMs = (MonotonicUs() - wallStart) / 1000.0;
    sim.Command("fault 1 none");
    std::printf("silent unit, 9600 baud: %s after %.0f ms, CPU %.1f ms = %.2f%% of one core (aim: under 2%%)\n",
                ResultName(result), wallMs, cpuMs, 100.0 * cpuMs / wallMs);
}

// The sim's stamp of the latest reply's last byte, 0 when it has none.
uint64_t LastReplyEndUs(SimProcess& sim) {
    const std::string reply = sim.Command("lastreplyend");
    return reply.rfind("ok ", 0) == 0 ? std::strtoull(reply.c_str() + 3, nullptr, 10) : 0;
}

// The sim stamps a reply only once it has handed over its last byte and
// taken its lock again, so a query made as soon as the exchange returns can
// find the stamp of the reply before (or none at all, before the first). The
// stamp of this reply is the first one that differs from the one before it
// and is not later than the return; none within 200 ms and the read is
// reported without a figure.
std::optional<uint64_t> StampOfThisReply(SimProcess& sim, uint64_t stampBefore, uint64_t returnedUs) {
    for (int tries = 0; tries < 200; ++tries) {
        const uint64_t stamp = LastReplyEndUs(sim);
        if (stamp != 0 && stamp != stampBefore) {
            return stamp <= returnedUs ? std::optional<uint64_t>(stamp) : std::nullopt;
        }
        usleep(1000);
    }
    return std::nullopt;
}

void MeasureReplyLatency(SimProcess& sim, ModbusExchange& exchange) {
    std::vector<double> latenciesMs;
    for (int i = 0; i < kLatencySamples; ++i) {
        const uint64_t stampBefore = LastReplyEndUs(sim);
        const ExchangeResult result = exchange.Exchange(ReadVoltageRequest(1), kVoltageReplyLength, ExchangeOptions{});
        const uint64_t returnedUs = MonotonicUs();
        if (result != ExchangeResult::Ok) {
            std::printf("voltage read %d: %s, not measured\n", i, ResultName(result));
            continue;
        }
        const std::optional<uint64_t> lastByteUs = StampOfThisReply(sim, stampBefore, returnedUs);
        if (!lastByteUs) {
            std::printf("voltage read %d: the sim gave no time stamp for its reply, not measured\n", i);
            continue;
        }
        latenciesMs.push_back(double(returnedUs - *lastByteUs) / 1000.0);
    }
    if (latenciesMs.empty()) return;
    std::sort(latenciesMs.begin(), latenciesMs.end());
    std::printf(
        "last reply byte to exchange return, %zu voltage reads at 9600 baud: "
        "min %.3f ms, median %.3f ms, max %.3f ms (aim: under 1 ms)\n",
        latenciesMs.size(), latenciesMs.front(), latenciesMs[latenciesMs.size() / 2], latenciesMs.back());
}
}  // namespace

int main() {
    SimProcess sim;
    PosixSerialLine line;
    if (!sim.Start() || !line.Open(sim.PtyPath(), 9600)) {
        std::fprintf(stderr, "bench: could not start lumeric-sim or open its pty\n");
        return 1;
    }
    SteadyClock clock;
    NoLog log;
    ModbusExchange exchange(line, clock, log, [] { return 9600; });
    MeasureReplyLatency(sim, exchange);
    MeasureSilentWait(sim, exchange);
    return 0;
}
