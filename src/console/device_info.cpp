// What the unit says about itself: its three settings, copied into the
// settings fields, and its four texts, shown beside their labels.
#include <algorithm>
#include <cstdint>

#include "console_controls.h"
#include "console_dlg.h"
#include "control_number.h"
#include "device_replies.h"
#include "register_map.h"
#include "resource.h"

namespace {

// Both replies are long: each goes into the log in five lines.
constexpr ExchangeOptions kInfoExchange{/*drainFirst=*/true, /*shortenDeadline=*/true, /*logAtTop=*/false,
                                        ReplyLog::FiveLines};

}  // namespace

void CConsoleDlg::OnReadDeviceInfo() {
    // Both requests go to the station in the field at the click.
    const uint8_t address = StationAddress();
    ExchangeResult result = m_exchange.Exchange(ReadSettingsRequest(address), kSettingsReplyLength, kInfoExchange);
    if (result != ExchangeResult::Ok) {
        ReportReadFailure(result, false);
        return;
    }
    ShowDeviceSettings();

    // Bytes the unit sends past the awaited reply would otherwise pass for
    // the start of the next one.
    m_exchange.AwaitSilence();
    result = m_exchange.Exchange(ReadIdentityRequest(address), kIdentityReplyLength, kInfoExchange);
    if (result != ExchangeResult::Ok) {
        ReportReadFailure(result, false);
        return;
    }
    ShowIdentityText(IDC_STATIC_DEVICE_NAME, kDeviceNameField);
    ShowIdentityText(IDC_STATIC_SW_VERSION, kSoftwareVersionField);
    ShowIdentityText(IDC_STATIC_VENDOR, kMakerField);
    ShowIdentityText(IDC_STATIC_PROTOCOL_VERSION, kProtocolVersionField);
}

void CConsoleDlg::ShowDeviceSettings() {
    const DeviceSettings settings = DecodeSettings(m_exchange.Reply());
    m_window.SetText(IDC_EDIT_NEW_ADDRESS, SignedDecimalText(settings.address));
    ShowDeviceBaud(settings.baudRate);
    m_window.SetText(IDC_EDIT_SAMPLE_INTERVAL, SignedDecimalText(settings.interval));
}

void CConsoleDlg::ShowDeviceBaud(uint32_t baudRate) {
    // The combo is a drop-down list, which takes no window text: select the
    // item of that rate. A rate that is no item leaves nothing selected
    // rather than an earlier pick that would pass for the unit's.
    const auto item = std::find(kBaudRates.begin(), kBaudRates.end(), baudRate);
    const int index = item == kBaudRates.end() ? -1 : static_cast<int>(item - kBaudRates.begin());
    m_window.SetComboSelection(IDC_COMBO_DEVICE_BAUD, index);
}

void CConsoleDlg::ShowIdentityText(int id, TextField field) {
    m_window.SetText(id, m_unitText.ToUtf8(IdentityFieldBytes(m_exchange.Reply(), field)));
}
