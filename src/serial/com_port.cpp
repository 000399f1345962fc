#include "com_port.h"

#include <cstdio>
#include <cstring>

#include "binary_line_settings.h"

static_assert(NOPARITY == 0 && ONESTOPBIT == 0, "SetBinaryFraming writes them as numbers");

namespace {

HANDLE NewManualResetEvent() { return CreateEventA(nullptr, TRUE, FALSE, nullptr); }

void CloseEventHandle(HANDLE event) {
    if (event != INVALID_HANDLE_VALUE && event != nullptr) CloseHandle(event);
}

}  // namespace

CComPort::CComPort()
    : m_portNumber(0),
      m_hComm(INVALID_HANDLE_VALUE),
      m_portName{},
      m_dcb{},
      m_timeouts{},
      m_ioMode(FILE_FLAG_OVERLAPPED),
      m_readOverlapped{},
      m_writeOverlapped{},
      m_hThread(nullptr),
      m_hNotifyWnd(nullptr),
      m_notifyThreshold(0),
      m_eventMask(EV_RXCHAR | EV_TXEMPTY | EV_CTS | EV_DSR | EV_RLSD | EV_BREAK | EV_ERR | EV_RING),
      m_threadRunning(false),
      m_autoStartThread(true),
      m_waitOverlapped{} {
    m_dcb.DCBlength = sizeof(DCB);
    m_readOverlapped.hEvent = NewManualResetEvent();
    m_writeOverlapped.hEvent = NewManualResetEvent();
    m_waitOverlapped.hEvent = NewManualResetEvent();
}

CComPort::~CComPort() {
    CComPort::Close();
    CloseEventHandle(m_readOverlapped.hEvent);
    CloseEventHandle(m_writeOverlapped.hEvent);
    CloseEventHandle(m_waitOverlapped.hEvent);
}

bool CComPort::Open(uint32_t portNumber, uint32_t baudRate) {
    Close();
    if (portNumber < 1 || portNumber > 1024) return false;
    m_portNumber = portNumber;
    std::snprintf(m_portName, sizeof m_portName, "\\\\.\\COM%u", static_cast<unsigned>(portNumber));
    if (!OpenDevice()) return false;
    // A failed setup leaves the port open and monitored until the next Open or Close.
    if (!SetupDevice()) return false;
    if (m_hComm == INVALID_HANDLE_VALUE || !GetCommState(m_hComm, &m_dcb)) return false;
    SetBinaryFraming(m_dcb, baudRate);
    return SetCommState(m_hComm, &m_dcb) != FALSE;
}

bool CComPort::OpenDevice() {
    if (m_hComm != INVALID_HANDLE_VALUE) Close();
    m_hComm = CreateFileA(m_portName, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                          m_ioMode | FILE_ATTRIBUTE_NORMAL, nullptr);
    if (!m_autoStartThread) return m_hComm != INVALID_HANDLE_VALUE;
    if (m_hComm != INVALID_HANDLE_VALUE && m_hThread == nullptr) {
        m_threadRunning = true;
        m_monitorInLoop = false;
        DWORD threadId = 0;
        m_hThread = CreateThread(nullptr, 0, MonitorThreadEntry, this, 0, &threadId);
        if (m_hThread != nullptr) return true;
    }
    // No device, no thread, or an old monitor that could not be stopped.
    Close();
    return false;
}

bool CComPort::SetupDevice() {
    if (m_hComm == INVALID_HANDLE_VALUE) return false;
    if (!SetupComm(m_hComm, kQueueSize, kQueueSize)) return false;
    if (!GetCommTimeouts(m_hComm, &m_timeouts)) return false;
    m_timeouts.ReadIntervalTimeout = 0;
    m_timeouts.ReadTotalTimeoutMultiplier = 1;
    m_timeouts.ReadTotalTimeoutConstant = 1000;
    m_timeouts.WriteTotalTimeoutMultiplier = 1;
    m_timeouts.WriteTotalTimeoutConstant = 1000;
    if (!SetCommTimeouts(m_hComm, &m_timeouts)) return false;
    return PurgeComm(m_hComm, PURGE_TXABORT | PURGE_RXABORT | PURGE_TXCLEAR | PURGE_RXCLEAR) != FALSE;
}

void CComPort::Close() {
    if (m_hComm == INVALID_HANDLE_VALUE) return;
    // Pending output goes; the input queue is left alone.
    PurgeComm(m_hComm, PURGE_TXABORT | PURGE_TXCLEAR);
    if (m_hThread != nullptr) StopMonitor();
    CloseHandle(m_hComm);
    m_hComm = INVALID_HANDLE_VALUE;
}

void CComPort::StopMonitor() {
    m_threadRunning = false;
    // Mask 0 completes a pending WaitCommEvent; the event releases a wait on the record.
    SetCommMask(m_hComm, 0);
    SetEvent(m_waitOverlapped.hEvent);
    bool ended = WaitForSingleObject(m_hThread, kStopWaitMs) == WAIT_OBJECT_0;
    // Only a monitor stuck in its loop is terminated. Before its loop or after
    // it the thread is in the system's start or exit work (on a busy machine
    // that can take a while) or in the message box of a refused event mask,
    // under the loader lock: terminated there, it would take the lock with it,
    // and every later thread start and the program's own exit would hang.
    const DWORD start = GetTickCount();
    while (!ended && !m_monitorInLoop && GetTickCount() - start < kOutsideLoopWaitMs) {
        ended = WaitForSingleObject(m_hThread, kOutsideLoopPollMs) == WAIT_OBJECT_0;
    }
    if (!ended && !TerminateThread(m_hThread, 0)) return;  // keep the handle: the next Close tries again
    CloseHandle(m_hThread);
    ResetEvent(m_waitOverlapped.hEvent);
    m_hThread = nullptr;
}
