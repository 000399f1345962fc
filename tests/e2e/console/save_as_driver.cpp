#include "save_as_driver.h"

#include <dlgs.h>

#include "console_driver.h"

HWND WaitForSaveAs(HWND owner, DWORD timeoutMs) {
    HWND dialog = nullptr;
    // The owner itself while it has no popup.
    WaitUntil([&] { return (dialog = GetLastActivePopup(owner)) != owner && IsWindowVisible(dialog); }, timeoutMs);
    return dialog != owner ? dialog : nullptr;
}

void AnswerSaveAs(HWND dialog, const std::wstring& path) {
    // The file name is the edit of combo cmb13, which under Wine is a
    // ComboBoxEx with the edit inside its own combo box.
    HWND combo = FindWindowExW(GetDlgItem(dialog, cmb13), nullptr, L"ComboBox", nullptr);
    SendMessageW(FindWindowExW(combo, nullptr, L"Edit", nullptr), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(path.c_str()));
    PostMessageW(GetDlgItem(dialog, IDOK), BM_CLICK, 0, 0);
}
