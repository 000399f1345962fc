// The unit's station address, line speed and sampling interval, each changed
// with one register write whose echo is awaited, and its reset, which awaits
// nothing. A new line speed takes the console's own port along.
#include <cstdint>

#include "console_controls.h"
#include "console_dlg.h"
#include "control_number.h"
#include "register_map.h"
#include "resource.h"
#include "setting_limits.h"

void CConsoleDlg::OnSetAddress() {
    const int32_t newAddress = ReadNumber(IDC_EDIT_NEW_ADDRESS);
    if (!StationAddressAccepted(newAddress)) {
        m_window.ShowMessage(Message::kAddressRange);
        return;
    }
    if (!WriteSetting(SetStationAddressRequest(StationAddress(), static_cast<uint16_t>(newAddress)))) return;
    // The unit now answers there: so must every later request.
    m_window.SetText(IDC_EDIT_ADDRESS, SignedDecimalText(newAddress));
    m_window.ShowMessage(Message::kSettingDone);
}

void CConsoleDlg::OnSetSampleInterval() {
    const int32_t interval = ReadNumber(IDC_EDIT_SAMPLE_INTERVAL);
    if (!SampleIntervalAccepted(interval)) {
        m_window.ShowMessage(Message::kSampleIntervalRange);
        return;
    }
    if (!WriteSetting(SetSampleIntervalRequest(StationAddress(), static_cast<uint16_t>(interval)))) return;
    m_window.ShowMessage(Message::kSettingDone);
}

void CConsoleDlg::OnSetDeviceBaud() {
    const int index = m_window.GetComboSelection(IDC_COMBO_DEVICE_BAUD);
    if (index < 0 || index >= static_cast<int>(kBaudRates.size())) {
        m_window.ShowMessage(Message::kSelectDeviceBaud);
        return;
    }
    // The unit echoes at its old rate, which the port still has.
    const uint32_t rate = kBaudRates[static_cast<size_t>(index)];
    if (!WriteSetting(SetLineSpeedRequest(StationAddress(), static_cast<uint16_t>(rate)))) return;
    MovePortToRate(index);
}

void CConsoleDlg::MovePortToRate(int baudIndex) {
    // Both combos list the same rates in the same order.
    m_window.SetComboSelection(IDC_COMBO_BAUD, baudIndex);
    // Back onto the port that was open: the port combo may show another
    // number by now, or none of its items when the number was typed.
    const uint32_t portNumber = m_port.PortNumber();
    m_port.Close();
    if (m_port.Open(portNumber, kBaudRates[static_cast<size_t>(baudIndex)])) {
        m_window.ShowMessage(Message::kSettingDone);
        return;
    }
    // The open button still reads "关闭串口", so this takes the close path:
    // the console shows the port closed before the operator is told.
    OnOpenClosePort();
    m_window.ShowMessage(Message::kReopenFailed);
}

void CConsoleDlg::OnSoftwareReset() {
    // Nothing is awaited: what the unit may answer, the next drain discards.
    m_exchange.Exchange(SoftwareResetRequest(StationAddress()), 0, ExchangeOptions{});
}

bool CConsoleDlg::WriteSetting(const RequestFrame& request) {
    const ExchangeResult result = m_exchange.Exchange(request, kWriteEchoLength, ExchangeOptions{});
    if (result == ExchangeResult::Timeout) m_window.ShowMessage(Message::kTimeout);
    if (result == ExchangeResult::CrcError) m_window.ShowMessage(Message::kSettingFailed);
    return result == ExchangeResult::Ok;
}
