#pragma once
// What a program writing records needs of its platform: the local time and
// files to write. Each is a small interface with a Win32 implementation
// (win32_record_io.h) and a POSIX one (the CLI's); tests use fakes.
#include <cstdint>
#include <string>

#include "poll_record.h"

class LocalClock {
public:
    virtual ~LocalClock() = default;
    virtual LocalTime Now() = 0;
};

enum class FileFailure { None, FolderMissing, DiskFull, InUse, AccessDenied, Other };

struct FileError {
    FileFailure failure = FileFailure::None;
    uint32_t systemCode = 0;  // the system's own number for the failure
    explicit operator bool() const { return failure != FileFailure::None; }
};

// One file being written, from Create to Close.
class OutputFile {
public:
    virtual ~OutputFile() = default;
    // Creates the file, or empties one that exists, and keeps it open.
    virtual FileError Create(const std::string& path) = 0;
    // Opens the file to add at its end, creating it if it is missing, and
    // keeps it open; `empty` tells whether it holds anything yet.
    virtual FileError OpenToAppend(const std::string& path, bool& empty) = 0;
    // Returns once the bytes are on the disk, not merely in a cache, so that
    // a killed program or a lost power loses at most the line being written.
    FileError Append(const std::string& bytes) {
        const FileError error = Write(bytes);
        return error ? error : Flush();
    }
    // Harmless on a file that is not open.
    virtual void Close() = 0;

protected:
    virtual FileError Write(const std::string& bytes) = 0;
    // Puts what was written on the disk.
    virtual FileError Flush() = 0;
};
