#pragma once
// CPU time used so far, kernel and user together, in milliseconds: how the
// tests tell a thread that waits from one that spins.
#include <windows.h>

#include <cstdint>

// `times` is GetThreadTimes or GetProcessTimes.
inline uint64_t CpuMs(BOOL(WINAPI* times)(HANDLE, FILETIME*, FILETIME*, FILETIME*, FILETIME*), HANDLE of) {
    FILETIME created, exited, kernel, user;
    if (!times(of, &created, &exited, &kernel, &user)) return UINT64_MAX;
    const auto ticks = [](const FILETIME& t) { return uint64_t{t.dwHighDateTime} << 32 | t.dwLowDateTime; };
    return (ticks(kernel) + ticks(user)) / 10000;  // 100 ns units
}

inline uint64_t ThreadCpuMs(HANDLE thread) { return CpuMs(GetThreadTimes, thread); }
inline uint64_t ProcessCpuMs() { return CpuMs(GetProcessTimes, GetCurrentProcess()); }
