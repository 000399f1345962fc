#pragma once
// The text of a list view's cell in another process. A list view hands its texts
// only into memory of its own process, so the item record and the text
// buffer are placed there (VirtualAllocEx) and read back (ReadProcessMemory).
#include <windows.h>

#include <string>

// The text of one cell, or "?" when it could not be read.
std::wstring ListViewCell(HWND list, int row, int column);
