// The voltage of the unit's first input: read once, or on the console's
// timer with counts of good and failed readings.
#include <algorithm>
#include <cstdint>
#include <limits>

#include "console_controls.h"
#include "console_dlg.h"
#include "control_number.h"
#include "register_map.h"
#include "resource.h"
#include "voltage_scale.h"

namespace {

// The shortest period continuous acquisition accepts.
constexpr int32_t kShortestIntervalMs = 300;

// A tick does not drain, which could hold it past its period; it purges
// instead, so that what came after the last tick (line noise, a reply that
// was too late) cannot pass for the start of this tick's reply. It never
// clears: its lines go on top, newest first.
constexpr ExchangeOptions kTickExchange{/*drainFirst=*/false, /*shortenDeadline=*/true,
                                        /*logAtTop=*/true,    ReplyLog::OneLine,
                                        kReplyDeadlineMs,     /*purgeFirst=*/true};

}  // namespace

void CConsoleDlg::OnReadVoltage() {
    const ExchangeResult result =
        m_exchange.Exchange(ReadVoltageRequest(StationAddress()), kVoltageReplyLength, ExchangeOptions{});
    if (result == ExchangeResult::Ok) {
        ShowVoltage();
    } else {
        ReportReadFailure(result, false);
    }
}

void CConsoleDlg::OnToggleContinuous() {
    if (CaptionIs(IDC_BTN_CONTINUOUS, Caption::kStartAcquisition)) {
        StartAcquisition();
    } else if (CaptionIs(IDC_BTN_CONTINUOUS, Caption::kStopAcquisition)) {
        StopAcquisition();
    }
}

void CConsoleDlg::StartAcquisition() {
    // Every attempt starts the counts afresh, a refused one too.
    m_window.SetText(IDC_STATIC_OK_COUNT, SignedDecimalText(0));
    m_window.SetText(IDC_STATIC_FAIL_COUNT, SignedDecimalText(0));

    const int32_t intervalMs = ReadNumber(IDC_EDIT_POLL_INTERVAL);
    if (intervalMs == 0) {
        m_window.ShowMessage(Message::kSetInterval);
        return;
    }
    if (intervalMs < kShortestIntervalMs) {
        m_window.ShowMessage(Message::kIntervalTooShort);
        return;
    }

    // The station is fixed for the whole run: a later edit of the address
    // field applies to the next run only.
    m_txBuffer.fill(0);
    const RequestFrame request = ReadVoltageRequest(StationAddress());
    std::copy(request.begin(), request.end(), m_txBuffer.begin());
    // What a unit sent before the run goes now, while nothing is timed yet.
    m_exchange.DrainInput();

    m_window.StartTimer(static_cast<uint32_t>(intervalMs));
    m_window.SetText(IDC_BTN_CONTINUOUS, Caption::kStopAcquisition);
    for (int id : kLockedDuringAcquisition) m_window.Enable(id, false);
}

void CConsoleDlg::StopAcquisition() {
    m_window.StopTimer();
    m_window.SetText(IDC_BTN_CONTINUOUS, Caption::kStartAcquisition);
    for (int id : kLockedDuringAcquisition) m_window.Enable(id, true);
}

void CConsoleDlg::OnTimer() {
    // Stopping the timer does not withdraw a tick already queued; such a tick
    // must not read on after the run (or the port) has ended.
    if (!CaptionIs(IDC_BTN_CONTINUOUS, Caption::kStopAcquisition)) return;

    RequestFrame request;
    std::copy(m_txBuffer.begin(), m_txBuffer.begin() + request.size(), request.begin());
    const ExchangeResult result = m_exchange.Exchange(request, kVoltageReplyLength, kTickExchange);
    if (result == ExchangeResult::Ok) {
        ShowVoltage();
        AddOneTo(IDC_STATIC_OK_COUNT);
    } else {
        ReportReadFailure(result, true);
        AddOneTo(IDC_STATIC_FAIL_COUNT);
    }
}

void CConsoleDlg::ShowVoltage() {
    const uint16_t hundredths = RegisterValueAt(m_exchange.Reply() + kReplyDataOffset);
    m_window.SetText(IDC_STATIC_VOLTAGE, VoltsText(hundredths, kConsoleScale) + "V");
}

void CConsoleDlg::ReportReadFailure(ExchangeResult result, bool logAtTop) {
    const char* line = result == ExchangeResult::Timeout ? Message::kTimeout : Message::kCrcError;
    if (logAtTop) {
        m_log.InsertLogLineAtTop(line);
    } else {
        m_log.AddLogLine(line);
    }
}

void CConsoleDlg::AddOneTo(int countId) {
    // The count lives in the control's text. It stops at the top rather than
    // turn negative.
    const int32_t count = ReadNumber(countId);
    m_window.SetText(countId, SignedDecimalText(count < std::numeric_limits<int32_t>::max() ? count + 1 : count));
}
