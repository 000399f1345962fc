#pragma once
// Answers the common Save As dialog of another process as an operator
// would: the path typed into its file-name field, then Save.
#include <windows.h>

#include <string>

// The dialog `owner` shows within timeoutMs, or nullptr.
HWND WaitForSaveAs(HWND owner, DWORD timeoutMs);
void AnswerSaveAs(HWND dialog, const std::wstring& path);
