#pragma once
// Answers the common Save As dialog of another process as an operator
// would: the path typed into its file-name field, then Save.
#include <windows.h>

#include <string>

// The visible dialog owned by `owner` that shows within timeoutMs, or nullptr.
HWND WaitForSaveAs(HWND owner, DWORD timeoutMs);
// False when the dialog has no file-name field.
bool AnswerSaveAs(HWND dialog, const std::wstring& path);
