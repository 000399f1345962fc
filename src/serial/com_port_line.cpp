#include "com_port_line.h"

#include <mmsystem.h>

namespace {
// Between two looks at the input queue while waiting for a reply: small beside
// the exchange's deadlines (100 ms and up), large enough that a 5 s wait costs
// the process about 1% of a core under Wine (1 ms cost about 3%).
constexpr DWORD kInputPollMs = 2;
// What the port's write time-outs allow a write beyond 1 ms a byte.
constexpr DWORD kWriteTimeoutMs = 1000;
}  // namespace

ComPortLine::~ComPortLine() { EndPendingWrite(); }

bool ComPortLine::Open(uint32_t portNumber, uint32_t baudRate) {
    // Open closes the old handle first, which aborts any write still in flight.
    m_writePending = false;
    m_heldLineErrors = 0;
    m_gone = false;
    return m_port.Open(portNumber, baudRate);
}

void ComPortLine::Close() {
    m_writePending = false;
    m_heldLineErrors = 0;
    m_gone = false;
    m_port.Close();
}

void ComPortLine::SetNotifyWindow(uintptr_t window) { m_port.m_hNotifyWnd = reinterpret_cast<HWND>(window); }

bool ComPortLine::IsOpen() const { return m_port.m_hComm != INVALID_HANDLE_VALUE; }

bool ComPortLine::ClearErrors(DWORD& errors, COMSTAT* status) {
    if (ClearCommError(m_port.m_hComm, &errors, status)) return true;
    if (IsOpen()) m_gone = true;
    return false;
}

LineStatus ComPortLine::QueryStatus() {
    DWORD errors = 0;
    COMSTAT status{};
    if (!ClearErrors(errors, &status)) return {};
    errors |= m_heldLineErrors;
    m_heldLineErrors = 0;
    return {true, errors != 0, status.cbInQue};
}

LineStatus ComPortLine::QueryErrors() {
    DWORD errors = 0;
    if (!ClearErrors(errors, nullptr)) return {};
    errors |= m_heldLineErrors;
    m_heldLineErrors = 0;
    return {true, errors != 0, 0};
}

void ComPortLine::PurgeInput() { PurgeComm(m_port.m_hComm, PURGE_RXABORT | PURGE_RXCLEAR); }

void ComPortLine::PurgeOutput() { PurgeComm(m_port.m_hComm, PURGE_TXABORT | PURGE_TXCLEAR); }

ReadResult ComPortLine::Read(uint8_t* dest, uint32_t count, uint32_t shortWaitMs) {
    OVERLAPPED& record = m_port.m_readOverlapped;
    DWORD delivered = 0;
    if (ReadFile(m_port.m_hComm, dest, count, &delivered, &record)) return {false, delivered};
    if (GetLastError() != ERROR_IO_PENDING) return {true, 0};
    WaitForSingleObject(record.hEvent, shortWaitMs);
    if (GetOverlappedResult(m_port.m_hComm, &record, &delivered, FALSE)) return {false, delivered};
    if (GetLastError() != ERROR_IO_INCOMPLETE) return {true, 0};
    return CancelPendingRead();
}

ReadResult ComPortLine::CancelPendingRead() {
    // A read left outstanding would write into the caller's buffer after we
    // returned and keep the record busy. Cancel only the read (CancelIo would
    // take a write in flight with it) and collect what landed before the cancel:
    // those are real reply bytes.
    OVERLAPPED& record = m_port.m_readOverlapped;
    CancelIoEx(m_port.m_hComm, &record);
    DWORD delivered = 0;
    GetOverlappedResult(m_port.m_hComm, &record, &delivered, TRUE);
    return {false, delivered};
}

void ComPortLine::FinishPendingWrite() {
    if (!m_writePending) return;
    // The write time-outs (1 ms a byte plus 1000 ms) bound this wait.
    DWORD written = 0;
    GetOverlappedResult(m_port.m_hComm, &m_port.m_writeOverlapped, &written, TRUE);
    m_writePending = false;
}

void ComPortLine::EndPendingWrite() {
    if (!m_writePending) return;
    // The write may still go out within its time-outs, as it would have had the
    // console stayed; a driver that holds it longer (flow control) sees it cancelled.
    OVERLAPPED& record = m_port.m_writeOverlapped;
    const DWORD allowedMs = static_cast<DWORD>(m_writeBuffer.size()) + kWriteTimeoutMs;
    if (WaitForSingleObject(record.hEvent, allowedMs) != WAIT_OBJECT_0) CancelIoEx(m_port.m_hComm, &record);
    DWORD written = 0;
    GetOverlappedResult(m_port.m_hComm, &record, &written, TRUE);
    m_writePending = false;
}

void ComPortLine::StartWrite(const uint8_t* data, uint32_t count) {
    FinishPendingWrite();
    m_writeBuffer.assign(data, data + count);
    DWORD written = 0;
    if (WriteFile(m_port.m_hComm, m_writeBuffer.data(), count, &written, &m_port.m_writeOverlapped)) return;
    // Its outcome is not looked at; only whether the record is still in use.
    m_writePending = GetLastError() == ERROR_IO_PENDING;
}

void ComPortLine::WaitForInput(uint32_t timeoutMs) {
    // 1 ms timer ticks, so the poll sleeps are what they say on Windows,
    // whose default tick is 15.6 ms.
    timeBeginPeriod(1);
    const DWORD start = GetTickCount();
    for (;;) {
        DWORD errors = 0;
        COMSTAT status{};
        if (!ClearErrors(errors, &status)) break;
        // The query cleared these flags: keep them for the exchange's own status query.
        m_heldLineErrors |= errors;
        if (errors != 0 || status.cbInQue > 0) break;
        if (GetTickCount() - start >= timeoutMs) break;
        Sleep(kInputPollMs);
    }
    timeEndPeriod(1);
}
