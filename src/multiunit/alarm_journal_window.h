#pragma once
#include <windows.h>

#include <cstddef>
#include <functional>

#include "alarm_journal.h"

// The journal window of one multi-unit window: modeless, owned by it, and
// gone with it. Its handle, or nullptr when it could not be made.
HWND CreateAlarmJournalWindow(HWND owner, const AlarmJournal& journal, std::function<void()> acknowledge);
// Tells an open journal window that `count` events came; nothing when `window` is gone.
void NotifyAlarmJournal(HWND window, size_t count);
