// Analogue calibration: one register write tells the unit which channel to
// calibrate at which point; the unit does the work and echoes the command.
#include <cstdint>

#include "calibration_points.h"
#include "console_controls.h"
#include "console_dlg.h"
#include "register_map.h"
#include "resource.h"

void CConsoleDlg::OnCalibrate(uint8_t pointCode) {
    // The selection stays from one press to the next.
    const int channelIndex = m_window.GetComboSelection(IDC_COMBO_CAL_CHANNEL);
    if (channelIndex < 0) {
        m_window.ShowMessage(Message::kSelectCalibrationChannel);
        return;
    }
    const uint8_t channel = static_cast<uint8_t>(channelIndex + 1);
    const ExchangeResult result = m_exchange.Exchange(CalibrateRequest(StationAddress(), channel, pointCode),
                                                      kWriteEchoLength, kCalibrationExchange);
    switch (result) {
    case ExchangeResult::Ok: m_window.ShowMessage(Message::kCalibrationDone); break;
    case ExchangeResult::CrcError: m_window.ShowMessage(Message::kCalibrationFailed); break;
    case ExchangeResult::Timeout: m_window.ShowMessage(Message::kTimeout); break;
    }
}
