#pragma once
#include "record_io.h"

// The local time of day on Linux, to the millisecond.
class PosixLocalClock : public LocalClock {
public:
    LocalTime Now() override;
};

// A file written straight through to the disk: every Append to a regular file
// is synced, so a poll killed with Ctrl-C keeps every line it wrote. Others may
// read it meanwhile. A pipe, a terminal or a device takes the lines unsynced.
class PosixOutputFile : public OutputFile {
public:
    PosixOutputFile() = default;
    ~PosixOutputFile() override { Close(); }
    PosixOutputFile(const PosixOutputFile&) = delete;
    PosixOutputFile& operator=(const PosixOutputFile&) = delete;

    FileError Create(const std::string& path) override;
    FileError OpenToAppend(const std::string& path, bool& empty) override;
    void Close() override;

private:
    FileError Open(const std::string& path, int mode, bool& empty);
    FileError Write(const std::string& bytes) override;
    FileError Flush() override;

    int m_fd = -1;
    bool m_syncToDisk = false;
};
