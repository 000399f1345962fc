// A short scripted tour of the console for the demo without a display:
// starts Lumeric.exe, opens COM1, reads the voltage, runs continuous
// acquisition for a few ticks, shows one refusal, minimises the window, reads
// the unit's information, enters factory mode, calibrates once, polls the
// three units in the multi-unit window with alarm limits set, ramps one
// channel past its limit (through the sim's control channel, which
// LUMERIC_SIM_CONTROL names), shows the alarm journal, the trend (live with
// the limit lines, and a record with two markers) and ends the console.
//
// At each step it asks scripts/demo.sh for a screenshot: it creates
// <LUMERIC_TOUR_DIR>\<name>.want and waits until <name>.png appears there.
// At the end it writes tour.done there: "ok", or what went wrong.
#include <windows.h>

#include <cstdio>
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

// A click of the plot `share` of the way across, half way down.
void ClickPlot(HWND plot, double share) {
    RECT client{};
    GetClientRect(plot, &client);
    const LPARAM at = MAKELPARAM(static_cast<int>(client.right * share), client.bottom / 2);
    PostMessageW(plot, WM_LBUTTONDOWN, MK_LBUTTON, at);
    PostMessageW(plot, WM_LBUTTONUP, 0, at);
}

// A discharge of two units over an hour across midnight, a poll every 10 s
// each, unit 2 failing for a minute.
std::wstring WriteDischargeRecord() {
    std::string csv =
        "\xEF\xBB\xBF时间,设备地址,电池1电压(V),电池2电压(V),电池3电压(V),电池4电压(V),结果,成功次数,失败次数\r\n";
    for (int step = 0; step < 360; ++step) {
        const int seconds = 23 * 3600 + 30 * 60 + step * 10;
        for (int unit = 1; unit <= 2; ++unit) {
            char line[160];
            const int day = 7 + seconds / 86400, clock = seconds % 86400;
            const bool failed = unit == 2 && step >= 200 && step < 206;
            const double fall = step * (unit == 1 ? 0.0020 : 0.0035);
            std::snprintf(line, sizeof line, "2026-12-%02dT%02d:%02d:%02d.%03d,%d,", day, clock / 3600, clock / 60 % 60,
                          clock % 60, unit * 100, unit);
            csv += line;
            if (failed) {
                csv += ",,,,通讯故障,0,1\r\n";
                continue;
            }
            std::snprintf(line, sizeof line, "%.3f,%.3f,%.3f,%.3f,正常,%d,0\r\n", 3.35 - fall, 3.30 - fall * 0.8,
                          3.32 - fall * 1.1, 3.28 - fall * 0.9, step + 1);
            csv += line;
        }
    }
    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    const std::wstring path = temp + std::wstring(L"lumeric-tour-discharge.csv");
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    DWORD written = 0;
    WriteFile(file, csv.data(), static_cast<DWORD>(csv.size()), &written, nullptr);
    CloseHandle(file);
    return path;
}

// The trend of the running cycle while unit 1's first channel climbs across
// its high limit line, zoomed in to its last minute with the wheel; then a
// record with two markers.
bool TrendTour(ConsoleDriver& console, HWND multiUnit, SimControl& sim) {
    console.ClickIn(multiUnit, IDC_BTN_TREND);
    HWND trend = console.WaitForNewWindow(L"趋势", {}, 10000);
    if (trend == nullptr) return false;
    SetWindowPos(trend, HWND_TOP, 0, 0, 0, 0, SWP_NOSIZE);
    HWND plot = GetDlgItem(trend, IDC_TREND_PLOT);
    sim.Ok("set 1 ramp 1 1800 20");
    Sleep(22000);  // the ramp and a pass beyond it
    RECT client{};
    GetClientRect(plot, &client);
    POINT right{client.right - 10, client.bottom / 2};
    ClientToScreen(plot, &right);
    for (int notch = 0; notch < 10; ++notch) {
        PostMessageW(plot, WM_MOUSEWHEEL, MAKEWPARAM(0, WHEEL_DELTA), MAKELPARAM(right.x, right.y));
    }
    console.Settle();
    Screenshot(L"14-trend-live");

    console.ClickIn(multiUnit, IDC_BTN_ACQUIRE);  // a record opens while no cycle runs
    const std::wstring record = WriteDischargeRecord();
    console.ClickAndSaveAs(trend, IDC_TREND_OPEN, record);
    ClickPlot(plot, 0.3);
    ClickPlot(plot, 0.75);
    console.Settle();
    Screenshot(L"15-trend-record");
    DeleteFileW(record.c_str());
    PostMessageW(trend, WM_CLOSE, 0, 0);
    return true;
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
    if (!TrendTour(console, multiUnit, sim)) return Finish("the trend window did not show");
    ConsoleDriver::PressKeyIn(multiUnit, IDC_EDIT_PERIOD, VK_ESCAPE);

    console.PressKey(IDC_EDIT_ADDRESS, VK_ESCAPE);
    if (console.WaitForExit(10000) == STILL_ACTIVE) return Finish("the console did not end on Escape");
    return Finish("ok");
}
