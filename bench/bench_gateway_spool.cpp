// The gateway's spool at its limits, for scripts/bench-gateway.sh. Prints
// figures only.
//   fill DIR N             N pending readings in DIR, as a long outage leaves them
//   drain DIR PORT N       delivers DIR's N pending readings to the mosquitto on
//                          127.0.0.1:PORT while a pass of three readings is kept
//                          every 100 ms; the rate and the latest pass
#include <sys/stat.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <string>
#include <thread>

#include "message_store.h"
#include "mqtt_publisher.h"
#include "posix_spool_disk.h"
#include "spool_committer.h"

namespace {

using Clock = std::chrono::steady_clock;

const std::string kReading =
    R"({"address":7,"time":"2026-12-07T15:04:05.123+01:00","seq":1042,"ch1":1.234,"ch2":0.0,"ch3":0.0,"ch4":0.0,"ok":311,"fail":2})";

long StatusKb(const char* field) {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);) {
        if (line.rfind(field, 0) == 0) return std::stol(line.substr(std::string(field).size()));
    }
    return -1;
}

double SecondsSince(Clock::time_point start) { return std::chrono::duration<double>(Clock::now() - start).count(); }

int Fill(const std::string& folder, size_t count) {
    mkdir(folder.c_str(), 0755);
    PosixSpoolDisk disk;
    MessageStore store(count);
    if (auto why = store.OpenJournal(folder, disk)) return std::fprintf(stderr, "%s\n", why->c_str()), 1;
    std::mutex lock;
    SpoolCommitter committer(store, lock, [](const std::string& text) { std::fprintf(stderr, "%s\n", text.c_str()); });
    const auto start = Clock::now();
    for (size_t i = 0; i < count; ++i) {
        store.Add("lumeric/bench/7/state", kReading, false);
        if (i % 1000 == 999) committer.CommitOnce(static_cast<uint32_t>(i));
    }
    committer.CommitOnce(UINT32_MAX / 2);
    std::printf("filled %zu pending in %.1f s; resident memory while running with them: %ld MB (peak %ld MB)\n",
                store.Pending(), SecondsSince(start), StatusKb("VmRSS:") / 1024, StatusKb("VmHWM:") / 1024);
    return 0;
}

int Drain(const std::string& folder, const std::string& port, size_t count) {
    PosixSpoolDisk disk;
    MessageStore store(1000000);
    if (auto why = store.OpenJournal(folder, disk)) return std::fprintf(stderr, "%s\n", why->c_str()), 1;
    const GatewayTopics topics("lumeric/bench");
    MqttPublisher publisher(store, topics, [](const std::string& text) { std::fprintf(stderr, "%s\n", text.c_str()); });
    BrokerSettings broker;
    broker.url = "mqtt://127.0.0.1:" + port;
    broker.clientId = "lumeric-bench-drain";
    if (auto why = publisher.Connect(broker)) return std::fprintf(stderr, "%s\n", why->c_str()), 1;
    constexpr auto kPeriod = std::chrono::milliseconds(100);
    const auto start = Clock::now();
    auto passStart = start;
    double worstLateMs = 0;
    size_t passes = 0;
    for (;;) {
        const double lateMs = std::chrono::duration<double, std::milli>(Clock::now() - passStart).count();
        worstLateMs = std::max(worstLateMs, lateMs);
        for (int unit = 0; unit < 3; ++unit) publisher.Keep("lumeric/bench/7/state", kReading, false);
        ++passes;
        if (publisher.Flush(0) <= 3 * 2) break;  // the backlog is through; the last passes' readings follow
        passStart += kPeriod;
        std::this_thread::sleep_until(passStart);
    }
    const double seconds = SecondsSince(start);
    std::printf(
        "drained %zu pending to mosquitto in %.1f s: %.0f readings/s; %zu passes of 100 ms, the latest %.1f ms late\n",
        count, seconds, count / seconds, passes, worstLateMs);
    publisher.Flush(5000);
    publisher.Close();
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string mode = argc > 1 ? argv[1] : "";
    if (mode == "fill" && argc == 4) return Fill(argv[2], std::stoul(argv[3]));
    if (mode == "drain" && argc == 5) return Drain(argv[2], argv[3], std::stoul(argv[4]));
    std::fprintf(stderr, "usage: bench_gateway_spool fill DIR N | drain DIR PORT N\n");
    return 2;
}
