// A short scripted tour of the console for the demo without a display:
// starts Lumeric.exe, opens COM1, reads the voltage, runs continuous
// acquisition for a few ticks, shows one refusal, minimises the window, reads
// the unit's information, enters factory mode, calibrates once, polls the
// three units in the multi-unit window with alarm limits set, ramps one
// channel past its limit (through the sim's control channel, which
// LUMERIC_SIM_CONTROL names), shows the alarm journal and ends the console.
//
// At each step it asks scripts/demo.sh for a screenshot: it creates
// <LUMERIC_TOUR_DIR>\<name>.want and waits until <name>.png appears there.
// At the end it writes tour.done there: "ok", or what went wrong.
#include <windows.h>

#include <cstring>
#include <string>

#include "console_driver.h"
#include "resource.h"
#include "sim_control.h"

namespace {

constexpr DWORD kShotTimeoutMs = 20000;

std::wstring TourDir() {
    wchar_t dir[MAX_PATH] = {};
    DWORD length = GetEnvironmentVariableW(L"LUMERIC_TOUR_DIR", dir, MAX_PATH);
    return length > 0 && length < MAX_PATH ? std::wstring(dir) + L"\\" : std::wstring();
}

// Creates (or empties) a file in the tour folder and writes `text` into it.
bool WriteTourFile(const std::wstring& name, const char* text) {
    HANDLE file = CreateFileW((TourDir() + name).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    WriteFile(file, text, static_cast<DWORD>(std::strlen(text)), &written, nullptr);
    CloseHandle(file);
    return true;
}

bool Screenshot(const std::wstring& name) {
    const std::wstring png = TourDir() + name + L".png";
    return WriteTourFile(name + L".want", "") &&
           WaitUntil([&] { return GetFileAttributesW(png.c_str()) != INVALID_FILE_ATTRIBUTES; }, kShotTimeoutMs);
}

int Finish(const char* outcome) {
    WriteTourFile(L"tour.done", outcome);
    return std::strcmp(outcome, "ok") == 0 ? 0 : 1;
}

}  // namespace

// A window program, so that no console window shows up on the screenshots.
int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    ConsoleDriver console;
    if (!console.Start()) return Finish("Lumeric.exe did not show its window");
    Sleep(500);  // let the window finish painting
    if (!Screenshot(L"1-start")) return Finish("no screenshot of the start");

    if (!console.OpenPort(1)) return Finish("COM1 did not open");
    console.Click(IDC_BTN_READ_VOLTAGE);
    Screenshot(L"2-voltage-read");

    console.SetText(IDC_EDIT_POLL_INTERVAL, L"100");
    console.Click(IDC_BTN_CONTINUOUS);
    if (HWND refusal = console.WaitForMessageBox(5000)) {
        Screenshot(L"3-interval-refused");
        ConsoleDriver::DismissMessageBox(refusal);
    }

    console.SetText(IDC_EDIT_POLL_INTERVAL, L"300");
    console.Click(IDC_BTN_CONTINUOUS);
    WaitUntil([&] { return console.Number(IDC_STATIC_OK_COUNT) >= 6; }, 10000);
    Screenshot(L"4-continuous");
    console.Click(IDC_BTN_CONTINUOUS);

    // As from the task bar: the minimised window shows the program icon.
    ShowWindow(console.Window(), SW_MINIMIZE);
    Sleep(500);
    Screenshot(L"5-minimised");
    ShowWindow(console.Window(), SW_RESTORE);
    console.Settle();

    // The unit's information, then factory mode through the password dialog,
    // with one calibration in the column it shows. Widening keeps the window's
    // left edge: move it to the left of the screen first, as an operator
    // would, so that the whole window fits.
    SetWindowPos(console.Window(), nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    console.Click(IDC_BTN_READ_INFO);
    Screenshot(L"6-device-info");
    HWND password = console.TypeFactoryPassword();
    if (password == nullptr) return Finish("no password dialog");
    Screenshot(L"7-password");
    if (!console.ConfirmPassword(password)) return Finish("factory mode did not open");
    Screenshot(L"8-factory-mode");
    console.SendTo(IDC_COMBO_CAL_CHANNEL, CB_SETCURSEL, 1);
    console.Click(IDC_BTN_CAL_20V_3V);
    if (HWND calibrated = console.WaitForMessageBox(10000)) {
        Screenshot(L"9-calibrated");
        ConsoleDriver::DismissMessageBox(calibrated);
    }

    // Units 1 and 2 answer at 9600 bit/s; unit 3 runs at 19200, so the
    // window's cycle at 9600 shows it as failing. 电池1 may lie between 1.000
    // and 1.500 V; unit 1's wavers a little.
    HWND multiUnit = console.OpenMultiUnit(1, 3, -1, false);
    if (multiUnit == nullptr) return Finish("no multi-unit window");
    console.ClickIn(multiUnit, IDC_BTN_ALARM_SETTINGS);
    HWND settings = console.WaitForNewWindow(L"报警设置", {}, 10000);
    if (settings == nullptr) return Finish("no alarm settings dialog");
    ConsoleDriver::SetTextIn(settings, IDC_EDIT_ALARM_LOW1, L"1.000");
    ConsoleDriver::SetTextIn(settings, IDC_EDIT_ALARM_HIGH1, L"1.500");
    Screenshot(L"10-alarm-settings");
    console.ClickIn(settings, IDOK);
    SimControl sim;
    sim.Ok("set 1 jitter 1 5");
    if (!console.ClickIn(multiUnit, IDC_BTN_ACQUIRE)) return Finish("the multi-unit cycle did not start");
    WaitUntil([&] { return TableCount(multiUnit, 2, 1) >= 2; }, 20000);
    Screenshot(L"11-multi-unit");

    // Unit 2's 电池1 climbs past its high limit: the cell turns red.
    sim.Ok("set 2 ramp 1 1600 2");
    WaitUntil([&] { return _wtof(TableCell(multiUnit, IDC_LIST_BAT1, 1, 1).c_str()) > 1.5; }, 20000);
    Sleep(300);  // let the cell repaint
    Screenshot(L"12-alarm-red-cell");
    console.ClickIn(multiUnit, IDC_BTN_ALARM_JOURNAL);
    if (HWND journal = console.WaitForNewWindow(L"报警记录", {}, 10000)) {
        SetWindowPos(journal, nullptr, 420, 380, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
        Screenshot(L"13-alarm-journal");
    }
    ConsoleDriver::PressKeyIn(multiUnit, IDC_EDIT_PERIOD, VK_ESCAPE);

    console.PressKey(IDC_EDIT_ADDRESS, VK_ESCAPE);
    if (console.WaitForExit(10000) == STILL_ACTIVE) return Finish("the console did not end on Escape");
    return Finish("ok");
}
