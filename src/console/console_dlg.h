#pragma once
#include <array>
#include <cstdint>
#include <functional>
#include <string>

#include "clock.h"
#include "console_port.h"
#include "cp936_decoder.h"
#include "dialog_window.h"
#include "exchange.h"
#include "log_list_box.h"
#include "register_map.h"

// The console window's behaviour: its initialisation, the message map of its
// buttons and timer, and the handlers behind them. It acts on its window only
// through DialogWindow and on the line only through the port and the exchange,
// so the Win32 dialog procedure and the unit tests drive the same code.
class CConsoleDlg {
public:
    // `unitText` decodes the unit's texts; `openMultiUnit` opens a new
    // multi-unit window beside the console.
    CConsoleDlg(DialogWindow& window, ConsolePort& port, Clock& clock, Cp936Decoder& unitText,
                std::function<void()> openMultiUnit = {});
    // The exchange asks this object for the speed: a copy would ask the original.
    CConsoleDlg(const CConsoleDlg&) = delete;
    CConsoleDlg& operator=(const CConsoleDlg&) = delete;

    // Called once the controls exist and the combos hold their template items.
    bool OnInitDialog();
    // A click on control `id`; ids without a handler are ignored.
    void OnCommand(int id);
    // One tick of the console's timer 1.
    void OnTimer();

private:
    // Port connection.
    void OnOpenClosePort();
    void OpenPort();
    void ClosePort();
    void OnMultiUnit();
    void EnablePortDependentButtons(bool enabled);

    // Voltage reading and continuous acquisition.
    void OnReadVoltage();
    void OnToggleContinuous();
    void StartAcquisition();
    void StopAcquisition();
    void ShowVoltage();
    void ReportReadFailure(ExchangeResult result, bool logAtTop);
    void AddOneTo(int countId);

    void OnClearLog();

    // Device information.
    void OnReadDeviceInfo();
    void ShowDeviceSettings();
    void ShowDeviceBaud(uint32_t baudRate);
    void ShowIdentityText(int id, TextField field);

    // Device settings.
    void OnSetAddress();
    void OnSetDeviceBaud();
    void OnSetSampleInterval();
    void OnSoftwareReset();
    // The settings exchange: true on a good echo; the failures are told here.
    bool WriteSetting(const RequestFrame& request);
    void MovePortToRate(int baudIndex);

    // Factory mode.
    void OnFactoryMode();
    void EnterFactoryMode();
    int UserModeWidth() const;

    // Calibration of the channel chosen at one of the eight points.
    void OnCalibrate(uint8_t pointCode);

    // Control texts as numbers and captions.
    int32_t ReadNumber(int id);
    uint8_t StationAddress();
    bool CaptionIs(int id, const char* caption);

    DialogWindow& m_window;
    ConsolePort& m_port;
    Cp936Decoder& m_unitText;
    LogListBox m_log;
    // Request of continuous acquisition: built at the start of a run, sent by
    // every tick. Only the first 8 bytes are used.
    std::array<uint8_t, 64> m_txBuffer{};
    // Owns ReadBuffer and m_timeoutMs (5000 ms at rest, from construction on).
    ModbusExchange m_exchange;
    // The outer rectangle before narrowing: factory mode widens back to it.
    WindowRect m_rectFull;
    std::function<void()> m_openMultiUnit;
};
