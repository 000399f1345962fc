#pragma once
#include <array>
#include <cstdint>
#include <string>

#include "clock.h"
#include "dialog_window.h"
#include "list_view.h"
#include "multi_unit_state.h"

// The five list views of the table, side by side: 电池1 (with the address
// column), 电池2, 电池3, 电池4, and the counts.
constexpr size_t kTableListCount = 5;
using UnitTable = std::array<ListView*, kTableListCount>;

// The multi-unit window's behaviour: its initialisation, its message map and
// the polling cycle behind its button and timer. It acts on its window only
// through DialogWindow and the table's list views, and on the line only
// through the cycle's record, so the Win32 dialog and the unit tests drive
// the same code. Every window works on the one record it is given.
class CMultiUnitDlg {
public:
    CMultiUnitDlg(DialogWindow& window, const UnitTable& table, MultiUnitState& cycle, Clock& clock);
    CMultiUnitDlg(const CMultiUnitDlg&) = delete;
    CMultiUnitDlg& operator=(const CMultiUnitDlg&) = delete;

    // Called once the controls exist and the combos hold their template items.
    bool OnInitDialog();
    // A click on control `id`; ids without a handler are ignored.
    void OnCommand(int id);
    // One tick of the window's timer 1: one unit polled.
    void OnTimer();
    // The window goes, whichever way: a cycle it runs stops and frees the port.
    void OnClose();

private:
    void OnAcquire();
    void StartCycle();
    bool StartRefused(int32_t periodMs, int32_t deviceCount);
    void StopCycle();
    void ReleasePort();

    void InsertColumns(size_t list);
    void RebuildTable();
    void ShowOutcome(bool ok);
    void Advance();

    int32_t ReadNumber(int id);

    DialogWindow& m_window;
    UnitTable m_table;
    MultiUnitState& m_cycle;
    Clock& m_clock;
};
