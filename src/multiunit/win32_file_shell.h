#pragma once
#include <windows.h>

#include "multi_unit_files.h"

// The common Save As dialog, owned by the window named with Attach, and the
// shell's default verb for opening a file.
class Win32FileShell : public FileShell {
public:
    void Attach(HWND owner) { m_owner = owner; }
    std::optional<std::string> AskSavePath(const std::string& fileName) override;
    void Open(const std::string& path) override;

private:
    HWND m_owner = nullptr;
};
