#include "dialog_host.h"

#include <algorithm>
#include <vector>

namespace {

// The open modeless dialogs: the message loop gives each its keyboard.
std::vector<HWND>& ModelessWindows() {
    static std::vector<HWND> windows;
    return windows;
}

void Forget(HWND window) {
    std::vector<HWND>& windows = ModelessWindows();
    windows.erase(std::remove(windows.begin(), windows.end(), window), windows.end());
}

// A message for a modeless dialog or one of its controls goes through that
// dialog's keyboard handling, which dispatches it when it does not use it.
bool HandledAsDialogMessage(MSG& message) {
    if (message.hwnd == nullptr) return false;
    const HWND root = GetAncestor(message.hwnd, GA_ROOT);
    for (HWND dialog : ModelessWindows()) {
        if (dialog == root) return IsDialogMessageW(dialog, &message) != FALSE;
    }
    return false;
}

}  // namespace

INT_PTR CALLBACK DialogHost::DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        reinterpret_cast<DialogHost*>(lParam)->m_window = window;
        SetWindowLongPtrW(window, DWLP_USER, lParam);
    }
    auto* host = reinterpret_cast<DialogHost*>(GetWindowLongPtrW(window, DWLP_USER));
    // Messages before WM_INITDIALOG (WM_SETFONT...) get the default handling.
    if (host == nullptr) return FALSE;
    INT_PTR result = TRUE;
    ++host->m_handling;
    try {
        result = host->Dispatch(message, wParam, lParam);
    } catch (...) {
        // No exception may unwind through the window system. A handler that
        // threw left its window half-way through an operation: end the window,
        // unless it is already going.
        if (message != WM_DESTROY && message != WM_NCDESTROY) host->End(IDABORT);
    }
    // A handler may run a modal loop (a message box, a file dialog) in which
    // its window is destroyed: the object goes only once every handler has returned.
    if (--host->m_handling == 0 && host->m_gone) {
        host->m_gone = false;
        host->OnFinalMessage();  // may delete the object
    }
    return result;
}

INT_PTR DialogHost::Dispatch(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG: return OnInitDialog() ? TRUE : FALSE;
    case WM_COMMAND:
        // Clicks, and the IDOK and IDCANCEL of Enter and Escape, and a combo
        // about to drop down; the controls' other notifications (a list's
        // selection...) go to OnMessage. A menu or accelerator command has no
        // control (lParam 0).
        if (HIWORD(wParam) == CBN_DROPDOWN && lParam != 0) {
            OnDropDown(LOWORD(wParam));
            return TRUE;
        }
        if (HIWORD(wParam) != BN_CLICKED) {
            INT_PTR result = FALSE;
            return OnMessage(message, wParam, lParam, result) ? result : FALSE;
        }
        OnCommand(LOWORD(wParam));
        return TRUE;
    case WM_TIMER: OnTimer(wParam); return TRUE;
    case WM_CLOSE: OnClose(); return TRUE;
    case WM_DESTROY: OnDestroy(); return TRUE;
    case WM_NCDESTROY: {
        const HWND window = m_window;
        SetWindowLongPtrW(window, DWLP_USER, 0);
        m_window = nullptr;
        Forget(window);
        m_gone = true;
        return FALSE;
    }
    default: {
        INT_PTR result = FALSE;
        return OnMessage(message, wParam, lParam, result) ? result : FALSE;
    }
    }
}

// Either may end a modeless window, after which nothing may use it.
void DialogHost::OnCommand(int id) {
    if (id == IDOK) {
        OnOK();
    } else if (id == IDCANCEL) {
        OnCancel();
    } else {
        OnControl(id);
    }
}

void DialogHost::OnControl(int) {}

void DialogHost::OnDropDown(int) {}

void DialogHost::OnTimer(UINT_PTR) {}

void DialogHost::OnClose() { OnCancel(); }

void DialogHost::OnOK() { End(IDOK); }

void DialogHost::OnCancel() { End(IDCANCEL); }

void DialogHost::OnDestroy() {}

bool DialogHost::OnMessage(UINT, WPARAM, LPARAM, INT_PTR&) { return false; }

INT_PTR ModalDialog::DoModal(HINSTANCE instance, int templateId, HWND owner) {
    return DialogBoxParamW(instance, MAKEINTRESOURCEW(templateId), owner, DialogProc, reinterpret_cast<LPARAM>(this));
}

void ModalDialog::End(INT_PTR result) { EndDialog(Handle(), result); }

HWND ModelessDialog::Create(std::unique_ptr<ModelessDialog> dialog, HINSTANCE instance, int templateId, HWND owner) {
    const HWND window = CreateDialogParamW(instance, MAKEINTRESOURCEW(templateId), owner, DialogProc,
                                           reinterpret_cast<LPARAM>(dialog.get()));
    // A window that failed, or that ended itself while initialising, has
    // already been destroyed without deleting the object: `dialog` does that.
    if (window == nullptr) return nullptr;
    dialog.release()->m_ownedByWindow = true;
    ModelessWindows().push_back(window);
    ShowWindow(window, SW_SHOW);
    return window;
}

// Destroying the window ends this object once the handler calling End
// returns; until then the window is gone and its controls with it.
void ModelessDialog::End(INT_PTR) { DestroyWindow(Handle()); }

void ModelessDialog::OnFinalMessage() {
    if (m_ownedByWindow) delete this;
}

int RunMessageLoop() {
    MSG message{};
    BOOL got = FALSE;
    // GetMessage answers -1 on a failure, which would repeat for ever.
    while ((got = GetMessageW(&message, nullptr, 0, 0)) > 0) {
        if (HandledAsDialogMessage(message)) continue;
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return got == 0 ? static_cast<int>(message.wParam) : -1;
}
