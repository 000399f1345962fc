#include "win32_cli_streams.h"

#include "win32_utf16.h"

namespace {

// GetConsoleMode succeeds on console handles only.
bool IsConsole(HANDLE stream) {
    DWORD mode = 0;
    return GetConsoleMode(stream, &mode) != FALSE;
}

}  // namespace

bool Win32CliStreams::ErrIsTerminal() const { return IsConsole(GetStdHandle(STD_ERROR_HANDLE)); }

void Win32CliStreams::Write(HANDLE stream, const std::string& text) {
    if (IsConsole(stream)) {
        const std::wstring wide = WideFromUtf8(text);
        DWORD written = 0;
        WriteConsoleW(stream, wide.data(), static_cast<DWORD>(wide.size()), &written, nullptr);
        return;
    }
    // A pipe may take a long text in parts.
    size_t sent = 0;
    while (sent < text.size()) {
        DWORD written = 0;
        if (!WriteFile(stream, text.data() + sent, static_cast<DWORD>(text.size() - sent), &written, nullptr) ||
            written == 0) {
            return;
        }
        sent += written;
    }
}
