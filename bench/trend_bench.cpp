// The trend's model at the size of a long run: 16 units × 4 channels, 24 h
// at one poll a second each (5.5 M samples). Prints the history's memory,
// the time to append a poll, to compute the visible points of a 1920 px
// view at spans from 1 min to 24 h, and to load a records file of the
// same run (1.4 M lines). Figures only, nothing judged.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>

#include "day_of_polls.h"
#include "poll_record.h"
#include "record_reader.h"
#include "trend_history.h"

namespace {

using Clock = std::chrono::steady_clock;
using namespace day_of_polls;

double MsSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

}  // namespace

int main() {
    TrendHistory history;
    const Clock::time_point appendStart = Clock::now();
    Fill(history);
    const double appendMs = MsSince(appendStart);
    const double polls = double{kUnits} * kSeconds;
    std::printf("history: %.0f polls, %.1f M samples, %.1f MB (aim: at most 100 MB)\n", polls, polls * 4 / 1e6,
                history.MemoryBytes() / 1e6);
    std::printf("append one poll: %.3f us on average (aim: at most 10 us)\n", appendMs * 1000 / polls);

    const TrendMs newest = history.Span()->end;
    for (TrendMs span : {kMinuteMs, 10 * kMinuteMs, kHourMs, 6 * kHourMs, 24 * kHourMs}) {
        double best = 1e9;
        size_t points = 0;
        for (int run = 0; run < 5; ++run) {
            const Clock::time_point start = Clock::now();
            points = 0;
            for (size_t unit = 0; unit < history.UnitCount(); ++unit) {
                points += history.Columns(unit, {newest - span, newest}, kViewWidthPx).size() * kTrendChannels;
            }
            best = std::min(best, MsSince(start));
        }
        std::printf("visible points of a %zu px view over %6.0f min: %7.2f ms, %zu points (aim: at most 50 ms)\n",
                    kViewWidthPx, span / 60000.0, best, points);
    }

    const std::string path = "/tmp/lumeric-trend-bench.csv";
    {
        std::ofstream out(path, std::ios::binary);
        out << PollRecordHead();
        for (int second = 0; second < kSeconds; ++second) {
            for (int unit = 0; unit < kUnits; ++unit) {
                PolledUnit poll;
                poll.time = ToLocalTime(PollTime(second, unit));
                poll.address = unit + 1;
                poll.volts = Volts(unit, second);
                poll.okCount = second;
                out << PollRecordLine(poll);
            }
        }
    }
    const Clock::time_point loadStart = Clock::now();
    std::ifstream in(path, std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    TrendHistory loaded;
    const RecordReading reading = ReadPollRecord(bytes, loaded);
    std::printf("load a records file of %zu lines (%.0f MB): %.0f ms, %zu skipped (aim: at most 3000 ms)\n",
                reading.polls, bytes.size() / 1e6, MsSince(loadStart), reading.skipped);
    std::remove(path.c_str());
}
