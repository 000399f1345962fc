#include "win32_unit_line.h"

#include <cstdio>

#include "binary_line_settings.h"

namespace {

constexpr DWORD kPurgeAll = PURGE_TXABORT | PURGE_RXABORT | PURGE_TXCLEAR | PURGE_RXCLEAR;

}  // namespace

bool Win32UnitLine::Open(int32_t comNumber, uint32_t baudRate) {
    char path[32];
    std::snprintf(path, sizeof path, "\\\\.\\COM%d", static_cast<int>(comNumber));
    // Share mode 0: the port is ours alone, the console's included.
    m_handle =
        CreateFileA(path, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (m_handle == INVALID_HANDLE_VALUE) return false;
    if (Configure(baudRate)) return true;
    Close();
    return false;
}

bool Win32UnitLine::Configure(uint32_t baudRate) {
    DCB dcb{};
    dcb.DCBlength = sizeof dcb;
    // Every setting not named here or in SetBinaryFraming keeps what the
    // driver reports. A driver that reports nothing leaves a zeroed record:
    // binary mode, which Windows requires, is then the only other setting.
    if (!GetCommState(m_handle, &dcb)) {
        dcb = DCB{};
        dcb.DCBlength = sizeof dcb;
        dcb.fBinary = TRUE;
    }
    SetBinaryFraming(dcb, baudRate);
    dcb.fDtrControl = DTR_CONTROL_DISABLE;
    dcb.fAbortOnError = FALSE;
    if (!SetCommState(m_handle, &dcb)) return false;

    DWORD errors = 0;
    COMSTAT status{};
    ClearCommError(m_handle, &errors, &status);  // a pending error state is dropped
    COMMTIMEOUTS timeouts{};
    timeouts.ReadIntervalTimeout = kUnitPortTimeouts.readInterval;
    timeouts.ReadTotalTimeoutMultiplier = kUnitPortTimeouts.readMultiplier;
    timeouts.ReadTotalTimeoutConstant = kUnitPortTimeouts.readConstant;
    timeouts.WriteTotalTimeoutMultiplier = kUnitPortTimeouts.writeMultiplier;
    timeouts.WriteTotalTimeoutConstant = kUnitPortTimeouts.writeConstant;
    SetCommTimeouts(m_handle, &timeouts);
    Purge();
    return true;
}

void Win32UnitLine::Close() {
    if (!IsOpen()) return;
    CloseHandle(m_handle);
    m_handle = INVALID_HANDLE_VALUE;
}

void Win32UnitLine::Purge() { PurgeComm(m_handle, kPurgeAll); }

void Win32UnitLine::Write(const uint8_t* data, uint32_t count) {
    DWORD written = 0;
    WriteFile(m_handle, data, count, &written, nullptr);
}

uint32_t Win32UnitLine::QueuedCount() {
    DWORD errors = 0;
    COMSTAT status{};
    return ClearCommError(m_handle, &errors, &status) ? status.cbInQue : 0;
}

uint32_t Win32UnitLine::Read(uint8_t* dest, uint32_t count) {
    DWORD received = 0;
    return ReadFile(m_handle, dest, count, &received, nullptr) ? received : 0;
}
