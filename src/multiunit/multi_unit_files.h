#pragma once
// What the multi-unit window's records and its export need beyond the
// window: the records' local time and files, the Save As dialog, and the
// program that opens an export. Tests use fakes; the Win32 shell is in
// win32_file_shell.h.
#include <optional>
#include <string>

#include "record_io.h"

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

// All four, as one window uses them: a record runs in one file while the
// export writes another.
struct MultiUnitFiles {
    LocalClock& clock;
    FileShell& shell;
    OutputFile& record;
    OutputFile& table;
};
