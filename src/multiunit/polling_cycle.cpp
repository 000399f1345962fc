// The polling cycle: started and stopped by the window's button, one unit
// polled per tick of its timer, the port freed when the window goes.
#include "control_number.h"
#include "multi_unit_dlg.h"
#include "multi_unit_texts.h"
#include "poll_record.h"
#include "poll_texts.h"
#include "port_list.h"
#include "resource.h"
#include "table_cells.h"
#include "unit_poll.h"

namespace {

constexpr int32_t kShortestPeriodMs = 500;

constexpr size_t kCountsList = 4;

std::string FaultMark(size_t channel) { return channel == 0 ? PollText::kCommFault : MultiUnitText::kNoValue; }

}  // namespace

void CMultiUnitDlg::OnAcquire() {
    if (m_window.GetText(IDC_BTN_ACQUIRE) == MultiUnitText::kAcquire) {
        StartCycle();
    } else {
        StopCycle();
    }
}

void CMultiUnitDlg::StartCycle() {
    const int32_t periodMs = ReadNumber(IDC_EDIT_PERIOD);
    const int32_t firstAddress = ReadNumber(IDC_EDIT_FIRST_ADDRESS);
    const int32_t deviceCount = ReadNumber(IDC_EDIT_DEVICE_COUNT);
    if (StartRefused(periodMs, deviceCount)) return;
    // The port the selected item names, whatever its place in the list; no
    // selection names none, and opens nothing.
    const int32_t comNumber = ComNumberOf(m_window.GetText(IDC_COMBO_MU_PORT));
    const int32_t baudRate = ReadNumber(IDC_COMBO_MU_BAUD);
    if (!m_cycle.port.Open(comNumber, baudRate > 0 ? static_cast<uint32_t>(baudRate) : 0)) {
        m_window.ShowMessage(MultiUnitText::kPortFailed);
        return;
    }
    m_cycle.runner = this;
    m_window.SetText(IDC_BTN_ACQUIRE, MultiUnitText::kStop);
    m_window.Enable(IDC_BTN_EXCEL, false);
    // Read at the start only: while the cycle runs the box says whether it records.
    m_window.Enable(IDC_CHECK_SAVE_RECORD, false);

    m_cycle.firstAddress = firstAddress;
    m_cycle.deviceCount = deviceCount;
    m_cycle.endAddress = int64_t{firstAddress} + deviceCount;
    m_cycle.currentAddress = firstAddress;
    m_cycle.currentRow = 0;
    m_cycle.okCount.fill(0);
    m_cycle.failCount.fill(0);
    RebuildTable();
    m_trend.Clear();
    BeginRecord();
    // The console's end may have taken the window along while the Save As
    // dialog was up, and with it the cycle.
    if (m_cycle.runner == this) m_window.StartTimer(static_cast<uint32_t>(periodMs));
}

bool CMultiUnitDlg::StartRefused(int32_t periodMs, int32_t deviceCount) {
    const char* refusal = nullptr;
    if (periodMs < kShortestPeriodMs) {
        refusal = MultiUnitText::kPeriodTooShort;
    } else if (deviceCount > kMaxUnits) {
        // The record has no rows beyond the 16th.
        refusal = MultiUnitText::kTooManyUnits;
    } else if (m_cycle.runner != nullptr) {
        // Another window's cycle holds the record and its port.
        refusal = MultiUnitText::kCycleRunsElsewhere;
    }
    if (refusal != nullptr) m_window.ShowMessage(refusal);
    return refusal != nullptr;
}

void CMultiUnitDlg::StopCycle() {
    m_window.StopTimer();
    m_window.SetText(IDC_BTN_ACQUIRE, MultiUnitText::kAcquire);
    m_window.Enable(IDC_BTN_EXCEL, true);
    m_window.Enable(IDC_CHECK_SAVE_RECORD, true);
    ReleasePort();
}

void CMultiUnitDlg::ReleasePort() {
    StopRecord();
    m_cycle.port.Close();
    m_cycle.runner = nullptr;
}

void CMultiUnitDlg::OnClose() {
    // A window whose cycle does not run leaves the record and its port alone.
    if (m_cycle.runner != this) return;
    ReleasePort();
    m_window.StopTimer();
}

void CMultiUnitDlg::OnTimer() {
    // A tick queued before the stop polls nothing, and neither does one that
    // a nested message loop delivers while a poll is under way.
    if (m_cycle.runner != this || m_cycle.polling) return;
    m_cycle.polling = true;
    const bool ok = PollUnit(m_cycle, m_clock);
    m_cycle.polling = false;
    ShowOutcome(ok);
    const PolledUnit polled = Polled(ok);
    m_trend.Append(polled.address, ToTrendMs(polled.time), polled.volts);
    const std::vector<AlarmEvent> events = CheckAlarms(polled);
    Advance();
    TakeEvents(events);
    // Last: a file that fails shows a message box, whose loop delivers the next ticks.
    const FileError eventsError = RecordEvents(events);
    if (!m_recordPath.empty()) RecordPoll(polled);
    if (eventsError) EventsFailed(eventsError);
}

void CMultiUnitDlg::ShowOutcome(bool ok) {
    const int32_t row = m_cycle.currentRow;
    const auto index = static_cast<size_t>(row);
    ++(ok ? m_cycle.okCount : m_cycle.failCount)[index];
    for (size_t channel = 0; channel < kChannelCount; ++channel) {
        const Cell& cell = kVoltageCells[channel];
        m_table[cell.list]->SetCellText(row, cell.column,
                                        ok ? VoltageText(m_cycle.voltage[channel][index]) : FaultMark(channel));
    }
    m_table[kCountsList]->SetCellText(row, 0, SignedDecimalText(m_cycle.okCount[index]));
    m_table[kCountsList]->SetCellText(row, 1, SignedDecimalText(m_cycle.failCount[index]));
}

// On to the next unit; after the last, back to the first.
void CMultiUnitDlg::Advance() {
    ++m_cycle.currentAddress;
    if (m_cycle.currentAddress < m_cycle.endAddress) {
        ++m_cycle.currentRow;
    } else {
        m_cycle.currentRow = 0;
        m_cycle.currentAddress = m_cycle.firstAddress;
    }
}
