#pragma once
#include "alarm_io.h"

// The alarm limits under HKCU\Software\Lumeric, the usual place of a small
// program's per-user settings: one text value a field, as the settings dialog
// shows it ("3.500", "" for a limit that is off).
class Win32LimitStore : public LimitStore {
public:
    LimitEntries Load() override;
    void Save(const LimitEntries& entries) override;
};
