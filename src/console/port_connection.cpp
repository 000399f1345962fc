// The console's port: opened with the COM number and speed chosen in the
// window, closed again, and the buttons that need it following its state.
#include <cstdint>

#include "console_controls.h"
#include "console_dlg.h"
#include "control_number.h"
#include "resource.h"

void CConsoleDlg::OnOpenClosePort() {
    if (CaptionIs(IDC_BTN_OPEN, Caption::kOpenPort)) {
        OpenPort();
    } else {
        ClosePort();
    }
}

void CConsoleDlg::OpenPort() {
    // The combo is editable, so any typed number is tried; the port itself
    // refuses numbers it cannot open, and a negative one is no port at all.
    const int32_t comNumber = ReadNumber(IDC_COMBO_PORT);
    // The speed follows the selection index of the baud combo, not its text.
    const int speedIndex = m_window.GetComboSelection(IDC_COMBO_BAUD);
    if (speedIndex < 0 || speedIndex >= static_cast<int>(kBaudRates.size())) {
        m_window.ShowMessage(Message::kSelectBaudRate);
        return;
    }
    const uint32_t portNumber = comNumber > 0 ? static_cast<uint32_t>(comNumber) : 0;
    // A port that does not open is not reported: the console just stays closed.
    // One that opened but refused its settings is still held, and the
    // multi-unit window or another program could not have it: let it go.
    if (!m_port.Open(portNumber, kBaudRates[static_cast<size_t>(speedIndex)])) {
        m_port.Close();
        return;
    }

    EnablePortDependentButtons(true);
    m_window.SetText(IDC_BTN_OPEN, Caption::kClosePort);
    m_port.SetNotifyWindow(m_window.NativeHandle());
}

void CConsoleDlg::ClosePort() {
    m_port.Close();
    m_window.SetText(IDC_BTN_OPEN, Caption::kOpenPort);
    if (CaptionIs(IDC_BTN_CONTINUOUS, Caption::kStopAcquisition)) StopAcquisition();
    EnablePortDependentButtons(false);
}

void CConsoleDlg::OnMultiUnit() {
    // The multi-unit window takes a port for itself, so the console lets its
    // own go first. It keeps no hold on the new window.
    if (CaptionIs(IDC_BTN_OPEN, Caption::kClosePort)) ClosePort();
    if (m_openMultiUnit) m_openMultiUnit();
}

void CConsoleDlg::EnablePortDependentButtons(bool enabled) {
    for (int id : kPortDependentButtons) m_window.Enable(id, enabled);
}
