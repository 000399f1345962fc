#pragma once
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "console_dlg.h"
#include "fakes/fake_dialog_window.h"
#include "fakes/fake_serial_line.h"
#include "fakes/frames.h"
#include "fakes/virtual_clock.h"
#include "iconv_cp936_decoder.h"
#include "resource.h"

// The buttons that follow the port, as the operator sees them listed.
inline const std::vector<int> kSeventeen = {1012, 1014, 1017, 1008, 1025, 1044, 1057, 1076, 1084,
                                            1078, 1082, 1080, 1087, 1079, 1083, 1081, 1088};
// What a run locks, in the order it locks them.
inline const std::vector<int> kLockedByRun = {1012, 1014, 1017, 1008, 1044, 1057, 1062, 1076, 1084,
                                              1078, 1082, 1080, 1087, 1079, 1083, 1081, 1088};

inline std::vector<uint8_t> VoltageReply(uint16_t hundredths, uint8_t address = 1) {
    return RegistersReply(address, {hundredths});
}

// A console on a fake window seeded as the dialog template leaves it, after
// OnInitDialog, on a fake port and virtual time.
struct ConsoleRig {
    ConsoleRig() {
        port.open = false;
        const std::vector<std::string> speeds = {"1200", "2400", "4800", "9600", "19200"};
        for (int n = 1; n <= 20; ++n) window.comboItems[IDC_COMBO_PORT].push_back(std::to_string(n));
        window.comboItems[IDC_COMBO_BAUD] = speeds;
        window.comboItems[IDC_COMBO_DEVICE_BAUD] = speeds;
        window.comboItems[IDC_COMBO_CAL_CHANNEL] = {"通道1", "通道2", "通道3", "通道4"};
        window.dropDownLists = {IDC_COMBO_BAUD, IDC_COMBO_DEVICE_BAUD};
        window.texts[IDC_BTN_OPEN] = "打开串口";
        window.texts[IDC_BTN_CONTINUOUS] = "连续采集";
        window.texts[IDC_BTN_FACTORY_MODE] = "厂家模式";
        for (int id : kSeventeen) window.enabled[id] = false;
        window.rect = {200, 100, 1200, 810};
        initResult = console.OnInitDialog();
        window.journal.clear();
    }

    void Click(int id) { console.OnCommand(id); }
    void Type(int id, const std::string& text) { window.texts[id] = text; }
    std::string Text(int id) { return window.texts[id]; }
    const std::vector<std::string>& Log() { return window.lists[IDC_LIST_LOG]; }
    // The unit answers `delayMs` after now.
    void UnitAnswers(const std::vector<uint8_t>& reply, uint64_t delayMs = 20) {
        port.Arrive(clock.NowMs() + delayMs, reply);
    }
    void OpenPort() {
        Click(IDC_BTN_OPEN);
        ASSERT_TRUE(port.IsOpen());
        window.journal.clear();
    }
    void StartRun(const std::string& interval = "1000") {
        Type(IDC_EDIT_POLL_INTERVAL, interval);
        Click(IDC_BTN_CONTINUOUS);
        ASSERT_TRUE(window.timerRunning);
    }

    VirtualClock clock{1000};
    FakeSerialLine port{clock};
    FakeDialogWindow window;
    IconvCp936Decoder unitText;
    // Opening a multi-unit window shows in the journal, after what came before it.
    CConsoleDlg console{window, port, clock, unitText, [this] { window.journal.push_back("multi-unit window"); }};
    bool initResult = false;
};

class ConsoleTest : public ::testing::Test, protected ConsoleRig {};
