#pragma once
// CPU time used so far, kernel and user together, in milliseconds: how the
// tests tell a thread that waits from one that spins.
#include <windows.h>

#include <cstdint>

inline uint64_t FileTimeMs(const FILETIME& kernel, const FILETIME& user) {
    const auto ticks = [](const FILETIME& t) { return uint64_t{t.dwHighDateTime} << 32 | t.dwLowDateTime; };
    return (ticks(kernel) + ticks(user)) / 10000;  // 100 ns units
}

inline uint64_t ThreadCpuMs(HANDLE thread) {
    FILETIME created, exited, kernel, user;
    if (!GetThreadTimes(thread, &created, &exited, &kernel, &user)) return UINT64_MAX;
    return FileTimeMs(kernel, user);
}

inline uint64_t ProcessCpuMs() {
    FILETIME created, exited, kernel, user;
    if (!GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user)) return UINT64_MAX;
    return FileTimeMs(kernel, user);
}
