#pragma once
#include <windows.h>

#include "com_port.h"

// Runs the console as a modal dialog on `port` and returns when the operator
// closes it (Escape, Enter in an edit box, the close box).
void RunConsoleWindow(HINSTANCE instance, CComPort& port);
