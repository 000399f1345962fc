#pragma once
#include <windows.h>

#include <string>

#include "cli_streams.h"

// Standard output and error on Windows. A console gets UTF-16 through
// WriteConsoleW, which shows Chinese whatever the console's code page; a
// pipe or a file gets the UTF-8 bytes unchanged.
class Win32CliStreams : public CliStreams {
public:
    void Out(const std::string& text) override { Write(GetStdHandle(STD_OUTPUT_HANDLE), text); }
    void Err(const std::string& text) override { Write(GetStdHandle(STD_ERROR_HANDLE), text); }
    bool ErrIsTerminal() const override;

private:
    static void Write(HANDLE stream, const std::string& text);
};
