// Lumeric.exe left running: continuous acquisition every 300 ms against a
// unit whose fault changes every phase, and a multi-unit cycle over four
// units on another port, unit 3 silent every other phase. Every 10 s the
// console's handles, memory and window objects are sampled with its counts.
// At the end a table (start, end, maximum, slope per hour) and plain
// verdicts: did the resources stay flat, did the counts follow the faults.
//
//   LUMERIC_SOAK_SECONDS   how long at least, in whole phases (default 60)
//   LUMERIC_SOAK_PHASE     seconds per fault (default 30)
// Sims: the console's unit 1 on LUMERIC_COM, units 1 to 4 on LUMERIC_COM_2.
#include <gtest/gtest.h>

#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <string>
#include <vector>

#include "console_driver.h"
#include "resource.h"
#include "sim_control.h"

namespace {

constexpr DWORD kSampleMs = 10000;

// The console unit's faults in turn, whether a tick under each succeeds,
// whether it waits out the full five seconds (holding the window thread), and
// how many of its ticks may fail at most. A sound phase follows the noise:
// what the noise left on the line must not spoil the ticks after it, so only
// the tick under way when the noise ended may fail.
struct Phase {
    const char* fault;
    bool ticksSucceed;
    bool ticksTimeOut;
    int mostFailures = std::numeric_limits<int>::max();
};
constexpr Phase kPhases[] = {
    {"none", true, false},    {"badcrc", false, false}, {"otheraddr 7", true, false}, {"noise 3", false, false},
    {"none", true, false, 1}, {"silent", false, true},  {"short 3", false, true},
};

// What the console and its window say of themselves at one moment, in the
// order of kMetrics.
struct Sample {
    double seconds;
    double values[5];
};
struct Metric {
    const char* name;
    double allowance;  // growth from the first sample that still counts as flat
};
constexpr Metric kMetrics[] = {
    {"handles", 8}, {"private KB", 2048}, {"working set KB", 4096}, {"GDI objects", 8}, {"USER objects", 8},
};

int Setting(const char* name, int fallback) {
    const char* value = std::getenv(name);
    return value != nullptr && std::atoi(value) > 0 ? std::atoi(value) : fallback;
}

// Wine reports no handle count for a process (always 0), but it does keep
// the system's handle table: count the process's entries there.
double HandleCount(HANDLE process) {
    DWORD handles = 0;
    if (GetProcessHandleCount(process, &handles) && handles > 0) return handles;
    struct Entry {
        USHORT processId, creatorBackTraceIndex;
        UCHAR objectType, attributes;
        USHORT handle;
        PVOID object;
        ACCESS_MASK access;
    };
    using QuerySystemInformation = LONG(NTAPI*)(ULONG, PVOID, ULONG, PULONG);
    const auto query = reinterpret_cast<QuerySystemInformation>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "NtQuerySystemInformation")));
    constexpr ULONG kSystemHandleInformation = 16;
    std::vector<ULONG_PTR> table(1 << 18);
    ULONG length = 0;
    const ULONG size = static_cast<ULONG>(table.size() * sizeof(ULONG_PTR));
    if (query == nullptr || query(kSystemHandleInformation, table.data(), size, &length) != 0) return 0;
    const ULONG count = static_cast<ULONG>(table[0]);
    const auto* entries = reinterpret_cast<const Entry*>(&table[1]);
    const USHORT id = static_cast<USHORT>(GetProcessId(process));
    return static_cast<double>(
        std::count_if(entries, entries + count, [id](const Entry& e) { return e.processId == id; }));
}

Sample Measure(HANDLE process, double seconds) {
    PROCESS_MEMORY_COUNTERS memory{};
    GetProcessMemoryInfo(process, &memory, sizeof memory);  // zeros when refused
    // The commit charge: the private bytes, which Wine reports only here.
    return {seconds,
            {HandleCount(process), static_cast<double>(memory.PagefileUsage) / 1024,
             static_cast<double>(memory.WorkingSetSize) / 1024,
             static_cast<double>(GetGuiResources(process, GR_GDIOBJECTS)),
             static_cast<double>(GetGuiResources(process, GR_USEROBJECTS))}};
}

// Least-squares slope of metric m, per hour.
double SlopePerHour(const std::vector<Sample>& samples, size_t m) {
    double n = 0, st = 0, sv = 0, stt = 0, stv = 0;
    for (const Sample& s : samples) {
        n += 1, st += s.seconds, sv += s.values[m], stt += s.seconds * s.seconds, stv += s.seconds * s.values[m];
    }
    const double spread = n * stt - st * st;
    return spread > 0 ? (n * stv - st * sv) / spread * 3600 : 0;
}

// Prints the table; true when every metric Wine reports stayed within its allowance.
// The slopes of each half apart: the log fills to its bound early in a long
// run, and from then on memory must stay flat.
bool ReportResources(const std::vector<Sample>& samples) {
    bool flat = true;
    const double middle = samples.back().seconds / 2;
    const auto half =
        std::partition_point(samples.begin(), samples.end(), [middle](const Sample& s) { return s.seconds < middle; });
    const std::vector<Sample> firstHalf(samples.begin(), half), secondHalf(half, samples.end());
    std::printf("\n%-16s %12s %12s %12s %14s %14s %14s\n", "metric", "start", "end", "maximum", "slope/hour",
                "1st half /h", "2nd half /h");
    for (size_t m = 0; m < std::size(kMetrics); ++m) {
        double maximum = 0;
        for (const Sample& s : samples) maximum = std::max(maximum, s.values[m]);
        const double start = samples.front().values[m], end = samples.back().values[m];
        if (maximum == 0) {
            std::printf("%-16s %12s\n", kMetrics[m].name, "not reported");
            continue;
        }
        std::printf("%-16s %12.0f %12.0f %12.0f %14.1f %14.1f %14.1f\n", kMetrics[m].name, start, end, maximum,
                    SlopePerHour(samples, m), SlopePerHour(firstHalf, m), SlopePerHour(secondHalf, m));
        flat = flat && maximum - start <= kMetrics[m].allowance;
    }
    return flat;
}

TEST(SoakTest, ResourcesStayFlatAndCountsFollowTheFaults) {
    const DWORD durationMs = static_cast<DWORD>(Setting("LUMERIC_SOAK_SECONDS", 60)) * 1000;
    const DWORD phaseMs = static_cast<DWORD>(Setting("LUMERIC_SOAK_PHASE", 30)) * 1000;
    ASSERT_GT(ComNumber("_2"), 0) << "LUMERIC_COM_2 is not set";
    SimControl unit, bank("_2");
    ConsoleDriver console;
    ASSERT_TRUE(console.Start()) << "Lumeric.exe did not show its window";

    HWND multi = console.OpenMultiUnit(ComNumber("_2"), 4);
    ASSERT_NE(multi, nullptr) << "the multi-unit cycle did not start";
    ASSERT_TRUE(console.OpenPort(ComNumber()));
    console.SetText(IDC_EDIT_POLL_INTERVAL, L"300");
    ASSERT_TRUE(console.Click(IDC_BTN_CONTINUOUS));
    ASSERT_EQ(console.Text(IDC_BTN_CONTINUOUS), L"停止采集");

    const DWORD start = GetTickCount();
    const auto elapsedMs = [start] { return GetTickCount() - start; };
    std::vector<Sample> samples;
    DWORD nextSampleMs = kSampleMs;  // the first ten seconds settle the windows
    bool countsFollow = true;
    int okBefore = 0, failBefore = 0, unit3FailBefore = 0;
    for (size_t phase = 0; elapsedMs() < durationMs; ++phase) {
        const Phase& fault = kPhases[phase % std::size(kPhases)];
        const bool unit3Silent = phase % 2 == 1;
        unit.Command(std::string("fault 1 ") + fault.fault);
        bank.Command(unit3Silent ? "fault 3 silent" : "fault 3 none");
        // A whole phase each, from when it starts: a tick that held the window
        // thread past the last phase's end must not cut this one short.
        const DWORD phaseEndMs = elapsedMs() + phaseMs;
        for (DWORD now = elapsedMs(); now < phaseEndMs; now = elapsedMs()) {
            if (now >= nextSampleMs) {
                samples.push_back(Measure(console.Process(), now / 1000.0));
                // Reading the counts may have held us past several sample times.
                while (nextSampleMs <= now) nextSampleMs += kSampleMs;
            }
            Sleep(std::min(nextSampleMs, phaseEndMs) - now);
        }
        // Ticks under a fault count as failures, under a good reply as
        // successes. Ticks across the change of fault, and those that read
        // what the last fault left queued, may go either way: most follow.
        const int ok = console.Number(IDC_STATIC_OK_COUNT), fail = console.Number(IDC_STATIC_FAIL_COUNT);
        const int unit3Fail = TableCount(multi, 2, 1);
        const int rightKind = fault.ticksSucceed ? ok - okBefore : fail - failBefore;
        const int wrongKind = fault.ticksSucceed ? fail - failBefore : ok - okBefore;
        // While the console waits out a silent unit the window thread is
        // held, and the cycle may not reach unit 3 within a short phase.
        const bool unit3Follows =
            unit3Silent ? unit3Fail > unit3FailBefore || fault.ticksTimeOut : unit3Fail - unit3FailBefore <= 1;
        std::printf("%5.0f s, phase %zu (%s, unit 3 %s): console +%d ok +%d failed, unit 3 +%d failed\n",
                    elapsedMs() / 1000.0, phase, fault.fault, unit3Silent ? "silent" : "answering", ok - okBefore,
                    fail - failBefore, unit3Fail - unit3FailBefore);
        std::fflush(stdout);  // a long soak shows its progress as it goes
        countsFollow = countsFollow && rightKind > wrongKind && unit3Follows && fail - failBefore <= fault.mostFailures;
        okBefore = ok, failBefore = fail, unit3FailBefore = unit3Fail;
    }
    samples.push_back(Measure(console.Process(), elapsedMs() / 1000.0));
    for (int row : {0, 1, 3})
        countsFollow = countsFollow && TableCount(multi, row, 1) == 0 && TableCount(multi, row, 0) > 0;

    ASSERT_GE(samples.size(), 2u);
    const bool flat = ReportResources(samples);
    std::printf("\nHandles and memory %s.\nThe counts %s the fault schedule.\n",
                flat ? "stayed flat" : "GREW beyond the allowance", countsFollow ? "match" : "do NOT match");
    EXPECT_TRUE(flat);
    EXPECT_TRUE(countsFollow);

    console.Click(IDC_BTN_CONTINUOUS);
    console.PressKey(IDC_EDIT_ADDRESS, VK_ESCAPE);
    EXPECT_EQ(console.WaitForExit(10000), 0u);
}

}  // namespace
