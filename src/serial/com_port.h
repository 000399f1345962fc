#pragma once
#include <windows.h>

#include <atomic>
#include <cstdint>

// One COM port opened by number for overlapped I/O, with a thread that
// watches its line events and posts them to a window. The exchange works
// directly on m_hComm, m_readOverlapped and m_writeOverlapped.
class CComPort {
public:
    CComPort();
    CComPort(const CComPort&) = delete;
    CComPort& operator=(const CComPort&) = delete;

    // The order of these virtual operations is part of the class: keep it.
    virtual ~CComPort();
    virtual void Close();
    virtual bool OpenDevice();
    virtual bool SetupDevice();
    virtual void NotifyReceive();
    virtual void NotifyDsr();
    virtual void NotifyCts();
    virtual void NotifyBreak();
    virtual void NotifyTxEmpty();
    virtual void NotifyError();
    virtual void NotifyRing();
    virtual void NotifyRlsd();
    // Body of the monitor thread: 0 after a normal end, 1 when the event mask was refused.
    virtual DWORD MonitorLoop();

    // COM portNumber (1 to 1024) at baudRate, 8 data bits, no parity, one stop bit.
    // True only when the port is open, configured and monitored.
    bool Open(uint32_t portNumber, uint32_t baudRate);

    static constexpr size_t kPortNameSize = 20;
    static constexpr DWORD kQueueSize = 4096;
    static constexpr DWORD kStopWaitMs = 100;
    // How long Close waits for a monitor outside its loop (starting or ending),
    // looking every few ms whether it has entered the loop after all.
    static constexpr DWORD kOutsideLoopWaitMs = 5000;
    static constexpr DWORD kOutsideLoopPollMs = 5;

    DWORD m_portNumber;
    HANDLE m_hComm;
    char m_portName[kPortNameSize];
    DCB m_dcb;
    COMMTIMEOUTS m_timeouts;
    DWORD m_ioMode;
    OVERLAPPED m_readOverlapped;
    OVERLAPPED m_writeOverlapped;
    HANDLE m_hThread;
    HWND m_hNotifyWnd;
    DWORD m_notifyThreshold;
    DWORD m_eventMask;
    // Written by the window thread, read by the monitor on every turn.
    std::atomic<bool> m_threadRunning;
    bool m_autoStartThread;
    OVERLAPPED m_waitOverlapped;

protected:
    // Set by the monitor thread once it waits in its loop, cleared when
    // MonitorLoop returns: Close terminates a monitor only while it is set.
    // A MonitorLoop of a derived class sets it where it may be cut short.
    std::atomic<bool> m_monitorInLoop{false};

private:
    friend DWORD WINAPI MonitorThreadEntry(LPVOID object);
    // What WaitCommEvent reports into. A member, not a local: a wait still
    // pending when a stuck monitor is terminated completes into it later.
    DWORD m_eventWord = 0;

    void StopMonitor();
    bool WaitForEvent();
    void PauseAfterFailedWait();
    void Dispatch(DWORD eventWord);
    void PostToWindow(UINT message, LPARAM lParam);
    void PostModemLine(UINT message, DWORD lineOnBit);
};

// The monitor thread's start routine: runs the object's MonitorLoop.
DWORD WINAPI MonitorThreadEntry(LPVOID object);

// The console's one port. The program defines it, right after the application object.
extern CComPort g_comm;
