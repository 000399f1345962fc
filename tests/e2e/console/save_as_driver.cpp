#include "save_as_driver.h"

#include <dlgs.h>

#include "console_driver.h"

namespace {

struct OwnedSearch {
    HWND owner;
    HWND found;
};

BOOL CALLBACK FindOwned(HWND window, LPARAM lParam) {
    auto* search = reinterpret_cast<OwnedSearch*>(lParam);
    if (GetWindow(window, GW_OWNER) != search->owner || !IsWindowVisible(window)) return TRUE;
    search->found = window;
    return FALSE;
}

BOOL CALLBACK FindEdit(HWND window, LPARAM lParam) {
    wchar_t className[16] = {};
    GetClassNameW(window, className, 16);
    if (lstrcmpiW(className, L"Edit") != 0) return TRUE;
    *reinterpret_cast<HWND*>(lParam) = window;
    return FALSE;
}

// The explorer-style dialog keeps the name in the edit of combo cmb13 (a
// ComboBoxEx under Wine, the edit two levels down); the older one in edt1.
HWND FileNameField(HWND dialog) {
    HWND edit = nullptr;
    if (HWND combo = GetDlgItem(dialog, cmb13)) EnumChildWindows(combo, FindEdit, reinterpret_cast<LPARAM>(&edit));
    return edit != nullptr ? edit : GetDlgItem(dialog, edt1);
}

}  // namespace

HWND WaitForSaveAs(HWND owner, DWORD timeoutMs) {
    OwnedSearch search{owner, nullptr};
    WaitUntil([&] { return !EnumWindows(FindOwned, reinterpret_cast<LPARAM>(&search)) && search.found; }, timeoutMs);
    return search.found;
}

bool AnswerSaveAs(HWND dialog, const std::wstring& path) {
    HWND field = FileNameField(dialog);
    if (field == nullptr) return false;
    SendMessageW(field, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(path.c_str()));
    PostMessageW(GetDlgItem(dialog, IDOK), BM_CLICK, 0, 0);
    return true;
}
