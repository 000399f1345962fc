#pragma once
#include <optional>
#include <vector>

#include "alarm_io.h"

// Limits kept in memory; `kept` is what a run finds at its start.
struct FakeLimitStore : LimitStore {
    LimitEntries Load() override { return kept; }
    void Save(const LimitEntries& entries) override { kept = entries; }
    LimitEntries kept = EntriesFromLimits(AlarmLimits{});
};

// The settings dialog confirms `confirm` (none: cancelled); the rest is counted.
struct FakeAlarmWindows : AlarmWindows {
    std::optional<AlarmLimits> EditLimits(const AlarmLimits& limits) override {
        shown.push_back(limits);
        return confirm;
    }
    void ShowJournal() override { ++journalShown; }
    void JournalGrew(size_t count) override { grew.push_back(count); }
    void Alert() override { ++alerts; }

    std::optional<AlarmLimits> confirm;
    std::vector<AlarmLimits> shown;
    int journalShown = 0;
    std::vector<size_t> grew;
    int alerts = 0;
};
