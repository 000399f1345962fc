#pragma once
// What the multi-unit window's records and its export need beyond the
// window: the local time, the Save As dialog, files to write, and the program
// that opens an export. Each is a small interface with a Win32 implementation
// (win32_record_io.h); tests use fakes.
#include <cstdint>
#include <optional>
#include <string>

#include "poll_record.h"

class LocalClock {
public:
    virtual ~LocalClock() = default;
    virtual LocalTime Now() = 0;
};

// Paths are UTF-8.
class FileShell {
public:
    virtual ~FileShell() = default;
    // The Save As dialog for a CSV file, proposing `fileName` in the user's
    // Documents folder. The chosen path, or none when the operator cancelled.
    virtual std::optional<std::string> AskSavePath(const std::string& fileName) = 0;
    // Opens the file in the program registered for its kind, if there is one;
    // a file kind without a program is no error.
    virtual void Open(const std::string& path) = 0;
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

// All four, as one window uses them: a record runs in one file while the
// export writes another.
struct MultiUnitFiles {
    LocalClock& clock;
    FileShell& shell;
    OutputFile& record;
    OutputFile& table;
};
