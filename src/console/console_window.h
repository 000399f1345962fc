#pragma once
#include <windows.h>

#include "com_port.h"

// Creates the console on `port` as a modeless dialog and shows it; nullptr
// when it could not be made. When the console's window goes (Escape, Enter in
// an edit box, the close box), it ends the program's message loop.
HWND CreateConsoleWindow(HINSTANCE instance, CComPort& port);
