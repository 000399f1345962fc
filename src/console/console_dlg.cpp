#include "console_dlg.h"

#include <cstdint>
#include <utility>

#include "console_controls.h"
#include "control_number.h"
#include "resource.h"

namespace {

// The window keeps its full height; only the factory column is cut off.
constexpr int kUserModeWidthNumerator = 383;
constexpr int kFullWidthDenominator = 513;

// The log's lines are Chinese: "读" above "发" above the failure texts is
// the Chinese (PRC) order, whatever language the system sorts in.
constexpr uint16_t kChinesePrc = 0x0804;

}  // namespace

CConsoleDlg::CConsoleDlg(DialogWindow& window, ConsolePort& port, Clock& clock, Cp936Decoder& unitText,
                         std::function<void()> openMultiUnit)
    : m_window(window),
      m_port(port),
      m_unitText(unitText),
      m_log(window, IDC_LIST_LOG),
      // The deadline rule needs the speed shown in the combo at the moment of
      // the wait, not the one the port was opened with.
      m_exchange(port, clock, m_log, [this] { return ReadNumber(IDC_COMBO_BAUD); }),
      m_openMultiUnit(std::move(openMultiUnit)) {}

bool CConsoleDlg::OnInitDialog() {
    m_window.SetProgramIcon();

    // Start in user mode: narrow enough to hide the factory column.
    m_rectFull = m_window.GetWindowRect();
    m_window.SetWindowSize(UserModeWidth(), m_rectFull.Height());

    m_window.SetListSortLocale(IDC_LIST_LOG, kChinesePrc);
    m_window.SetControlFont(IDC_LIST_LOG, "Arial", 120);
    m_window.SetControlFont(IDC_STATIC_VOLTAGE, "Arial", 280);
    for (int id : {IDC_STATIC_DEVICE_NAME, IDC_STATIC_SW_VERSION, IDC_STATIC_VENDOR, IDC_STATIC_PROTOCOL_VERSION}) {
        m_window.SetControlFont(id, "Arial", 100);
    }

    m_window.SetComboSelection(IDC_COMBO_PORT, 0);  // "1"
    m_window.SetComboSelection(IDC_COMBO_BAUD, 3);  // "9600"
    m_window.SetText(IDC_EDIT_ADDRESS, SignedDecimalText(1));
    m_window.SetText(IDC_EDIT_POLL_INTERVAL, SignedDecimalText(1000));
    return true;
}

void CConsoleDlg::OnCommand(int id) {
    switch (id) {
    case IDC_BTN_OPEN: OnOpenClosePort(); break;
    case IDC_BTN_READ_VOLTAGE: OnReadVoltage(); break;
    case IDC_BTN_CONTINUOUS: OnToggleContinuous(); break;
    case IDC_BTN_CLEAR_LOG: OnClearLog(); break;
    case IDC_BTN_MULTI: OnMultiUnit(); break;
    case IDC_BTN_READ_INFO: OnReadDeviceInfo(); break;
    case IDC_BTN_SET_ADDRESS: OnSetAddress(); break;
    case IDC_BTN_SET_BAUD: OnSetDeviceBaud(); break;
    case IDC_BTN_SET_SAMPLE_INTERVAL: OnSetSampleInterval(); break;
    case IDC_BTN_RESET: OnSoftwareReset(); break;
    case IDC_BTN_FACTORY_MODE: OnFactoryMode(); break;
    default:
        for (size_t i = 0; i < kCalibrationButtons.size(); ++i) {
            if (kCalibrationButtons[i] == id) OnCalibrate(kCalibrationPoints[i].code);
        }
        break;
    }
}

int CConsoleDlg::UserModeWidth() const {
    return static_cast<int>(int64_t{m_rectFull.Width()} * kUserModeWidthNumerator / kFullWidthDenominator);
}

void CConsoleDlg::OnClearLog() { m_log.ClearLog(); }

int32_t CConsoleDlg::ReadNumber(int id) { return ReadSignedDecimal(m_window.GetText(id)); }

uint8_t CConsoleDlg::StationAddress() { return LowByte(ReadNumber(IDC_EDIT_ADDRESS)); }

bool CConsoleDlg::CaptionIs(int id, const char* caption) { return m_window.GetText(id) == caption; }
