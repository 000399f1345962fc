#pragma once
#include <windows.h>

#include <memory>

// One dialog procedure for every window of the program. It finds the window's
// object and calls its handlers; no exception gets past it into the window
// system. Derive from ModalDialog or ModelessDialog and override what the
// window handles:
//
//   class CPasswordDlg : public ModalDialog {
//       bool OnInitDialog() override;     // the controls exist now
//       void OnOK() override;             // read the entry, then End(IDOK)
//   };
//   CPasswordDlg dialog;
//   INT_PTR result = dialog.DoModal(instance, IDD_PASSWORD, owner);
class DialogHost {
public:
    virtual ~DialogHost() = default;
    DialogHost(const DialogHost&) = delete;
    DialogHost& operator=(const DialogHost&) = delete;

    // The window while it exists, nullptr before and after.
    HWND Handle() const { return m_window; }

protected:
    DialogHost() = default;

    // WM_INITDIALOG, once the controls exist. True lets the system give the
    // focus to the first control in tab order.
    virtual bool OnInitDialog() = 0;
    // A click (or menu or key command) on control `id`, any but IDOK and
    // IDCANCEL: those go to OnOK and OnCancel.
    virtual void OnControl(int id);
    // The list of drop-down combo `id` is about to show: the moment to bring
    // its items up to date.
    virtual void OnDropDown(int id);
    virtual void OnTimer(UINT_PTR timerId);
    // WM_CLOSE (the close box, Alt+F4): by default what Escape does.
    virtual void OnClose();
    virtual void OnOK();
    virtual void OnCancel();
    // WM_DESTROY: the controls still exist, the window is going whatever happens.
    virtual void OnDestroy();
    // Any other message. Return true when handled, with the dialog
    // procedure's result in `result`.
    virtual bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result);

    // Dismisses the window: EndDialog for a modal one, DestroyWindow for a
    // modeless one. `result` is what DoModal returns.
    virtual void End(INT_PTR result) = 0;

private:
    friend class ModalDialog;
    friend class ModelessDialog;

    static INT_PTR CALLBACK DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    INT_PTR Dispatch(UINT message, WPARAM wParam, LPARAM lParam);
    void OnCommand(int id);
    // After WM_NCDESTROY, the window's last message, once no handler of the
    // object is running any more.
    virtual void OnFinalMessage() {}

    HWND m_window = nullptr;
    int m_handling = 0;   // handlers of this object under way, nested ones counted
    bool m_gone = false;  // WM_NCDESTROY has come
};

// A dialog with a loop of its own: DoModal returns when the window ends.
class ModalDialog : public DialogHost {
public:
    // Shows the dialog on template `templateId` and returns the result given
    // to End, or -1 when the window could not be made.
    INT_PTR DoModal(HINSTANCE instance, int templateId, HWND owner);

protected:
    void End(INT_PTR result) override;
};

// A dialog beside the others, run by the program's message loop. Its object
// lives on the heap and belongs to its window, which deletes it after
// WM_NCDESTROY, once none of its handlers is running.
class ModelessDialog : public DialogHost {
public:
    // Creates the window on template `templateId`, owned by `owner`, and shows
    // it. Returns the window, or nullptr when it could not be made; the
    // object is deleted then.
    static HWND Create(std::unique_ptr<ModelessDialog> dialog, HINSTANCE instance, int templateId, HWND owner);

protected:
    void End(INT_PTR result) override;

private:
    void OnFinalMessage() override;
    // Set once Create has handed the object to its window.
    bool m_ownedByWindow = false;
};

// The program's message loop. Every open modeless dialog gets its keyboard
// (Tab, Enter, Escape...) through IsDialogMessage. Returns the exit code that
// PostQuitMessage gave.
int RunMessageLoop();
