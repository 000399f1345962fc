#pragma once
// What the multi-unit window's alarms need beyond the window: the limits
// kept between runs, the alarm windows, and the operator's attention. Each is
// a small interface with a Win32 implementation; tests use fakes.
#include <cstddef>
#include <optional>

#include "alarm_entries.h"
#include "multi_unit_files.h"

// One user's alarm settings, shared by every multi-unit window of the program.
class LimitStore {
public:
    virtual ~LimitStore() = default;
    // The fields as kept; a field never kept reads as its default text.
    virtual LimitEntries Load() = 0;
    virtual void Save(const LimitEntries& entries) = 0;

    // Bad kept values are said once a run, however many windows open.
    bool badValuesSaid = false;
};

class AlarmWindows {
public:
    virtual ~AlarmWindows() = default;
    // The settings dialog, modal, showing `limits`: the limits confirmed, none when cancelled.
    virtual std::optional<AlarmLimits> EditLimits(const AlarmLimits& limits) = 0;
    // Opens the window's journal, or brings it forward.
    virtual void ShowJournal() = 0;
    // `count` events were added to the journal: an open journal window lists them.
    virtual void JournalGrew(size_t count) = 0;
    // A new raise: the taskbar button flashes unless the window is active,
    // and the system's exclamation sounds once.
    virtual void Alert() = 0;
};

struct AlarmParts {
    LimitStore& store;
    AlarmWindows& windows;
    // The events beside a running record.
    OutputFile& events;
};
