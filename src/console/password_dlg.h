#pragma once
#include <windows.h>

#include <optional>
#include <string>

#include "dialog_host.h"
#include "win32_dialog_window.h"

// The password that opens factory mode: a small modal dialog on IDD_PASSWORD
// with one masked entry and an OK button. Esc and the close box end it with
// IDCANCEL, and the entry is then not taken.
class CPasswordDlg : public ModalDialog {
public:
    // Empty until the dialog ends with OK; then what was typed, UTF-8.
    std::string m_password;

private:
    bool OnInitDialog() override;
    void OnOK() override;

    Win32DialogWindow m_controls;
};

// Runs a fresh CPasswordDlg owned by `owner`: the text confirmed with OK, or
// nothing when the dialog was closed any other way.
std::optional<std::string> RunPasswordDialog(HWND owner);
