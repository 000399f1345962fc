#include "password_dlg.h"

#include "resource.h"

bool CPasswordDlg::OnInitDialog() {
    m_controls.Attach(Handle());
    m_controls.SetText(IDC_EDIT_PASSWORD, m_password);
    // The operator types at once; returning false keeps this focus.
    SetFocus(GetDlgItem(Handle(), IDC_EDIT_PASSWORD));
    return false;
}

void CPasswordDlg::OnOK() {
    m_password = m_controls.GetText(IDC_EDIT_PASSWORD);
    End(IDOK);
}

std::optional<std::string> RunPasswordDialog(HWND owner) {
    CPasswordDlg dialog;
    if (dialog.DoModal(GetModuleHandleW(nullptr), IDD_PASSWORD, owner) != IDOK) return std::nullopt;
    return dialog.m_password;
}
