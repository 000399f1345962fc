#pragma once
#include <windows.h>

#include "multi_unit_state.h"

// Creates a new multi-unit window owned by `owner`, working on `cycle`, and
// shows it. nullptr when it could not be made.
HWND CreateMultiUnitWindow(HINSTANCE instance, HWND owner, MultiUnitState& cycle);
