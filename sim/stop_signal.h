#pragma once

// One-way "time to stop" shared by every thread of the sim: a pipe whose read
// end becomes readable once, and stays so. Threads add ReadFd() to their poll
// sets, so a stop wakes them wherever they wait.
class StopSignal {
public:
    StopSignal();
    ~StopSignal();
    StopSignal(const StopSignal&) = delete;
    StopSignal& operator=(const StopSignal&) = delete;

    bool Valid() const { return m_fds[0] >= 0; }
    int ReadFd() const { return m_fds[0]; }
    // Async-signal-safe.
    void Raise();
    bool Raised() const;

private:
    int m_fds[2] = {-1, -1};
};
