// The port event monitor: a thread per open port that waits for line events
// and posts each one to the notify window.
#include <string>

#include "com_port.h"
#include "port_event_rules.h"

static_assert(PortEvent::RxChar == EV_RXCHAR && PortEvent::TxEmpty == EV_TXEMPTY && PortEvent::Cts == EV_CTS &&
                  PortEvent::Dsr == EV_DSR && PortEvent::Rlsd == EV_RLSD && PortEvent::Break == EV_BREAK &&
                  PortEvent::Err == EV_ERR && PortEvent::Ring == EV_RING,
              "event flags must match the Win32 ones");
static_assert(COMM_MSG_RECEIVE == WM_USER + 618, "message numbers are fixed");

namespace {
// How long the monitor rests after a failed WaitCommEvent (a pty under Wine
// fails every one, a pulled USB adapter too). Close signals the wait event,
// so it never waits this long for the thread.
constexpr DWORD kFailedWaitPauseMs = 50;
}  // namespace

DWORD WINAPI MonitorThreadEntry(LPVOID object) {
    auto* port = static_cast<CComPort*>(object);
    const DWORD result = port->MonitorLoop();
    port->m_monitorInLoop = false;
    return result;
}

DWORD CComPort::MonitorLoop() {
    const int maskCallLine = __LINE__ + 1;
    if (!SetCommMask(m_hComm, m_eventMask)) {
        const DWORD error = GetLastError();
        const std::string text =
            SetCommMaskFailureText(__FILE__, maskCallLine, m_portNumber,
                                   static_cast<uint32_t>(reinterpret_cast<uintptr_t>(m_hComm)), m_eventMask, error);
        MessageBoxA(nullptr, text.c_str(), "Class CComPort", MB_OK);
        return 1;
    }
    // Only from here may Close terminate the thread: the message box above
    // loads DLLs under the loader lock, which a terminated thread would keep.
    m_monitorInLoop = true;
    while (m_threadRunning && m_hComm != INVALID_HANDLE_VALUE) {
        m_eventWord = 0;
        if (WaitForEvent()) {
            Dispatch(m_eventWord);
        } else {
            PauseAfterFailedWait();
        }
    }
    return 0;
}

bool CComPort::WaitForEvent() {
    if (WaitCommEvent(m_hComm, &m_eventWord, &m_waitOverlapped)) return true;
    if (GetLastError() != ERROR_IO_PENDING) return false;
    DWORD unused = 0;
    // A wait that completes in failure is a failed wait too: its event word means nothing.
    return GetOverlappedResult(m_hComm, &m_waitOverlapped, &unused, TRUE) != FALSE;
}

void CComPort::PauseAfterFailedWait() {
    // Without this pause the loop would spin a core for as long as the port is open.
    const DWORD start = GetTickCount();
    DWORD waited = 0;
    while (waited < kFailedWaitPauseMs) {
        if (WaitForSingleObject(m_waitOverlapped.hEvent, kFailedWaitPauseMs - waited) != WAIT_OBJECT_0) return;
        // Close signals the event after clearing m_threadRunning. A failed wait can
        // leave the event signalled too (Wine does once the line has hung up):
        // that one must not cut the pause short.
        if (!m_threadRunning) return;
        ResetEvent(m_waitOverlapped.hEvent);
        waited = GetTickCount() - start;
    }
}

void CComPort::Dispatch(DWORD eventWord) {
    switch (NotificationForEvent(eventWord)) {
    case PortNotification::Receive: {
        DWORD errors = 0;
        COMSTAT status{};
        ClearCommError(m_hComm, &errors, &status);
        if (ReceiveReachesThreshold(status.cbInQue, m_notifyThreshold)) NotifyReceive();
        break;
    }
    case PortNotification::TxEmpty: NotifyTxEmpty(); break;
    case PortNotification::Cts: NotifyCts(); break;
    case PortNotification::Dsr: NotifyDsr(); break;
    case PortNotification::Rlsd: NotifyRlsd(); break;
    case PortNotification::Break: NotifyBreak(); break;
    case PortNotification::Error: NotifyError(); break;
    case PortNotification::Ring: NotifyRing(); break;
    case PortNotification::None: break;
    }
}

void CComPort::PostToWindow(UINT message, LPARAM lParam) {
    if (IsWindow(m_hNotifyWnd)) PostMessageA(m_hNotifyWnd, message, m_portNumber, lParam);
}

void CComPort::PostModemLine(UINT message, DWORD lineOnBit) {
    if (!IsWindow(m_hNotifyWnd)) return;
    DWORD modemStatus = 0;
    if (!GetCommModemStatus(m_hComm, &modemStatus)) return;
    PostMessageA(m_hNotifyWnd, message, m_portNumber, (modemStatus & lineOnBit) ? 1 : 0);
}

void CComPort::NotifyReceive() { PostToWindow(COMM_MSG_RECEIVE, 0); }
void CComPort::NotifyBreak() { PostToWindow(COMM_MSG_BREAK, 0); }
void CComPort::NotifyTxEmpty() { PostToWindow(COMM_MSG_TXEMPTY, 0); }
void CComPort::NotifyRing() { PostToWindow(COMM_MSG_RING, 0); }
void CComPort::NotifyRlsd() { PostToWindow(COMM_MSG_RLSD, 0); }
void CComPort::NotifyCts() { PostModemLine(COMM_MSG_CTS, MS_CTS_ON); }
void CComPort::NotifyDsr() { PostModemLine(COMM_MSG_DSR, MS_DSR_ON); }

void CComPort::NotifyError() {
    // Clears the port's error state whether or not anyone listens.
    DWORD errors = 0;
    ClearCommError(m_hComm, &errors, nullptr);
    PostToWindow(COMM_MSG_ERROR, static_cast<LPARAM>(errors));
}
