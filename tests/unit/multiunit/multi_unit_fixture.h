#pragma once
#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "fakes/fake_alarm_io.h"
#include "fakes/fake_dialog_window.h"
#include "fakes/fake_file_shell.h"
#include "fakes/fake_list_view.h"
#include "fakes/fake_record_io.h"
#include "fakes/fake_unit_line.h"
#include "fakes/frames.h"
#include "multi_unit_dlg.h"
#include "resource.h"

// The machine's serial ports, as the test sets them.
struct FakeSystemPorts : SystemPorts {
    std::vector<std::string> Names() override { return names; }
    std::vector<std::string> names;
};

enum TableList : size_t { kBat1, kBat2, kBat3, kBat4, kCounts };

// A multi-unit window on fakes, its controls as the template leaves them,
// after OnInitDialog.
struct FakeMultiUnitWindow {
    FakeMultiUnitWindow(MultiUnitState& cycle, VirtualClock& clock)
        : localClock(clock),
          dlg(window, {&lists[0], &lists[1], &lists[2], &lists[3], &lists[4]}, cycle, clock,
              {localClock, shell, record, table}, ports, {limitStore, alarmWindows, events}) {
        window.comboItems[IDC_COMBO_MU_BAUD] = {"1200", "2400", "4800", "9600", "19200"};
        window.texts[IDC_BTN_ACQUIRE] = "采集";
        dlg.OnInitDialog();
    }
    void ClickAcquire() { dlg.OnCommand(IDC_BTN_ACQUIRE); }
    std::string Cell(size_t list, size_t row, size_t column) const { return lists[list].Cell(row, column); }

    FakeDialogWindow window;
    std::array<FakeListView, kTableListCount> lists;
    FakeLocalClock localClock;
    FakeFileShell shell;
    FakeOutputFile record;
    FakeOutputFile table;
    FakeSystemPorts ports;
    FakeLimitStore limitStore;
    FakeAlarmWindows alarmWindows;
    FakeOutputFile events;
    CMultiUnitDlg dlg;
};

// One window over a line of units: unit n answers n, n+1, n+2, n+3 mV unless
// it has a reply of its own in `replies` (empty: silent).
struct MultiUnitRig {
    MultiUnitRig() {
        line.units = [this](const std::vector<uint8_t>& request) {
            const uint8_t station = request[0];
            if (replies.count(station)) return replies[station];
            return RegistersReply(station,
                                  {station, uint16_t(station + 1), uint16_t(station + 2), uint16_t(station + 3)});
        };
    }

    // A running cycle over `count` units from `first`; the ticks are the test's.
    void Start(const std::string& first = "1", const std::string& count = "16") {
        mu.window.texts[IDC_EDIT_FIRST_ADDRESS] = first;
        mu.window.texts[IDC_EDIT_DEVICE_COUNT] = count;
        mu.ClickAcquire();
        ASSERT_EQ("停止", mu.window.texts[IDC_BTN_ACQUIRE]);
    }
    void Tick(int times = 1) {
        for (int i = 0; i < times; ++i) mu.dlg.OnTimer();
    }
    // The address column, top to bottom.
    std::vector<std::string> Labels() const {
        std::vector<std::string> labels;
        for (size_t row = 0; row < mu.lists[kBat1].rows.size(); ++row) labels.push_back(mu.Cell(kBat1, row, 0));
        return labels;
    }
    // The stations polled, in order.
    std::vector<int> Stations() const {
        std::vector<int> stations;
        for (const std::vector<uint8_t>& request : line.writes) stations.push_back(request[0]);
        return stations;
    }

    VirtualClock clock{1000};
    HeldPorts held;
    FakeUnitLine line{clock, held};
    MultiUnitState cycle{line};
    FakeMultiUnitWindow mu{cycle, clock};
    std::map<uint8_t, std::vector<uint8_t>> replies;
};

class MultiUnitTest : public ::testing::Test, protected MultiUnitRig {};
