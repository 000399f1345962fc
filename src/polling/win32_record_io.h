#pragma once
#include <windows.h>

#include "record_io.h"

class Win32LocalClock : public LocalClock {
public:
    LocalTime Now() override {
        SYSTEMTIME now{};
        GetLocalTime(&now);
        return LocalTime{now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond, now.wMilliseconds};
    }
};

// A file written straight through to the disk: every Append is flushed.
// Others may read it while it is being written.
class Win32OutputFile : public OutputFile {
public:
    Win32OutputFile() = default;
    ~Win32OutputFile() override { Close(); }
    Win32OutputFile(const Win32OutputFile&) = delete;
    Win32OutputFile& operator=(const Win32OutputFile&) = delete;

    FileError Create(const std::string& path) override;
    FileError OpenToAppend(const std::string& path, bool& empty) override;
    void Close() override;

private:
    FileError Write(const std::string& bytes) override;
    FileError Flush() override;

    HANDLE m_file = INVALID_HANDLE_VALUE;  // CreateFileW's failure, not nullptr
};
