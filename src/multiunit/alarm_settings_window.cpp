#include "alarm_settings_window.h"

#include "alarm_entries.h"
#include "dialog_host.h"
#include "resource.h"
#include "win32_dialog_window.h"

namespace {

int FieldId(LimitField field, size_t channel) {
    switch (field) {
    case LimitField::Low: return IDC_EDIT_ALARM_LOW1 + static_cast<int>(channel);
    case LimitField::High: return IDC_EDIT_ALARM_HIGH1 + static_cast<int>(channel);
    case LimitField::Spread: return IDC_EDIT_ALARM_SPREAD;
    case LimitField::Hysteresis: return IDC_EDIT_ALARM_HYSTERESIS;
    default: return IDC_EDIT_ALARM_ON_DELAY;
    }
}

class CAlarmSettingsDlg : public ModalDialog {
public:
    explicit CAlarmSettingsDlg(const AlarmLimits& limits) : m_limits(limits) {}

    std::optional<AlarmLimits> m_confirmed;

private:
    bool OnInitDialog() override {
        m_controls.Attach(Handle());
        const LimitEntries entries = EntriesFromLimits(m_limits);
        for (size_t channel = 0; channel < kAlarmChannels; ++channel) {
            m_controls.SetText(FieldId(LimitField::Low, channel), entries.low[channel]);
            m_controls.SetText(FieldId(LimitField::High, channel), entries.high[channel]);
        }
        m_controls.SetText(IDC_EDIT_ALARM_SPREAD, entries.spread);
        m_controls.SetText(IDC_EDIT_ALARM_HYSTERESIS, entries.hysteresis);
        m_controls.SetText(IDC_EDIT_ALARM_ON_DELAY, entries.onDelay);
        return true;
    }

    void OnOK() override {
        LimitEntries entries;
        for (size_t channel = 0; channel < kAlarmChannels; ++channel) {
            entries.low[channel] = m_controls.GetText(FieldId(LimitField::Low, channel));
            entries.high[channel] = m_controls.GetText(FieldId(LimitField::High, channel));
        }
        entries.spread = m_controls.GetText(IDC_EDIT_ALARM_SPREAD);
        entries.hysteresis = m_controls.GetText(IDC_EDIT_ALARM_HYSTERESIS);
        entries.onDelay = m_controls.GetText(IDC_EDIT_ALARM_ON_DELAY);
        const ReadLimits read = LimitsFromEntries(entries);
        if (!read.limits) {
            // The dialog stays, with the field to mend in front of the operator.
            m_controls.ShowMessage(read.refusal);
            const HWND field = GetDlgItem(Handle(), FieldId(read.field, read.channel));
            SendMessageW(Handle(), WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(field), TRUE);
            return;
        }
        m_confirmed = read.limits;
        End(IDOK);
    }

    AlarmLimits m_limits;
    Win32DialogWindow m_controls;
};

}  // namespace

std::optional<AlarmLimits> RunAlarmSettingsDialog(HWND owner, const AlarmLimits& limits) {
    CAlarmSettingsDlg dialog(limits);
    if (dialog.DoModal(GetModuleHandleW(nullptr), IDD_ALARM_SETTINGS, owner) != IDOK) return std::nullopt;
    return dialog.m_confirmed;
}
