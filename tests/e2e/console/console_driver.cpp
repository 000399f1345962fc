#include "console_driver.h"

#include "resource.h"

namespace {

constexpr wchar_t kConsoleCaption[] = L"Lumeric_Ver1.0";
constexpr wchar_t kMessageBoxCaption[] = L"Lumeric";
constexpr wchar_t kDialogClass[] = L"#32770";
// A reply the console owes us never takes longer than this: its longest
// handler waits 5000 ms for a silent unit.
constexpr DWORD kReplyTimeoutMs = 15000;
constexpr int kMessageBoxTextId = 0xFFFF;

struct WindowSearch {
    DWORD processId;
    const wchar_t* caption;
    HWND found;
};

bool HasClassAndCaption(HWND window, const wchar_t* className, const wchar_t* caption) {
    wchar_t text[64] = {};
    if (GetClassNameW(window, text, 64) == 0 || lstrcmpW(text, className) != 0) return false;
    GetWindowTextW(window, text, 64);
    return lstrcmpW(text, caption) == 0;
}

BOOL CALLBACK MatchTopLevel(HWND window, LPARAM param) {
    auto* search = reinterpret_cast<WindowSearch*>(param);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    // Tests run side by side in one Wine prefix: only this console's windows count.
    if (owner != search->processId || !IsWindowVisible(window)) return TRUE;
    if (!HasClassAndCaption(window, kDialogClass, search->caption)) return TRUE;
    search->found = window;
    return FALSE;
}

HWND FindTopLevel(DWORD processId, const wchar_t* caption) {
    WindowSearch search{processId, caption, nullptr};
    EnumWindows(MatchTopLevel, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

std::wstring WindowText(HWND window) {
    DWORD_PTR length = 0;
    if (!SendMessageTimeoutW(window, WM_GETTEXTLENGTH, 0, 0, SMTO_BLOCK, kReplyTimeoutMs, &length)) return L"?";
    std::wstring text(length + 1, L'\0');
    DWORD_PTR copied = 0;
    SendMessageTimeoutW(window, WM_GETTEXT, length + 1, reinterpret_cast<LPARAM>(&text[0]), SMTO_BLOCK,
                        kReplyTimeoutMs, &copied);
    text.resize(copied);
    return text;
}

INT_PTR CALLBACK IgnoreEverything(HWND, UINT, WPARAM, LPARAM) { return FALSE; }

}  // namespace

ConsoleDriver::~ConsoleDriver() {
    if (m_process.hProcess == nullptr) return;
    if (WaitForSingleObject(m_process.hProcess, 0) == WAIT_TIMEOUT) {
        TerminateProcess(m_process.hProcess, 1);
        WaitForSingleObject(m_process.hProcess, 5000);
    }
    CloseHandle(m_process.hThread);
    CloseHandle(m_process.hProcess);
}

std::wstring ConsoleDriver::ConsolePath() {
    wchar_t path[MAX_PATH] = {};
    DWORD length = GetEnvironmentVariableW(L"LUMERIC_EXE", path, MAX_PATH);
    if (length > 0 && length < MAX_PATH) return path;
    length = GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring own(path, length);
    return own.substr(0, own.find_last_of(L"\\/") + 1) + L"Lumeric.exe";
}

bool ConsoleDriver::Start(DWORD timeoutMs) {
    std::wstring command = L"\"" + ConsolePath() + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    if (!CreateProcessW(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &m_process)) {
        return false;
    }
    const DWORD processId = m_process.dwProcessId;
    return WaitUntil([&] { return (m_window = FindTopLevel(processId, kConsoleCaption)) != nullptr; },
                     timeoutMs);
}

bool ConsoleDriver::SendWithin(HWND target, UINT message, WPARAM wParam, LPARAM lParam, DWORD timeoutMs,
                               DWORD_PTR* result) const {
    return SendMessageTimeoutW(target, message, wParam, lParam, SMTO_BLOCK, timeoutMs, result) != 0;
}

std::wstring ConsoleDriver::Text(int id) const { return WindowText(Control(id)); }

void ConsoleDriver::SetText(int id, const std::wstring& text) const {
    DWORD_PTR ignored = 0;
    SendWithin(Control(id), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()), kReplyTimeoutMs, &ignored);
}

bool ConsoleDriver::IsEnabled(int id) const { return IsWindowEnabled(Control(id)) != FALSE; }

int ConsoleDriver::ComboSelection(int id) const {
    DWORD_PTR index = 0;
    SendWithin(Control(id), CB_GETCURSEL, 0, 0, kReplyTimeoutMs, &index);
    return static_cast<int>(static_cast<LRESULT>(index));
}

void ConsoleDriver::SelectComboItem(int id, int index) const {
    DWORD_PTR ignored = 0;
    SendWithin(Control(id), CB_SETCURSEL, static_cast<WPARAM>(index), 0, kReplyTimeoutMs, &ignored);
}

std::vector<std::wstring> ConsoleDriver::ComboItems(int id) const {
    std::vector<std::wstring> items;
    DWORD_PTR count = 0;
    if (!SendWithin(Control(id), CB_GETCOUNT, 0, 0, kReplyTimeoutMs, &count)) return items;
    for (WPARAM index = 0; index < count; ++index) {
        DWORD_PTR length = 0;
        SendWithin(Control(id), CB_GETLBTEXTLEN, index, 0, kReplyTimeoutMs, &length);
        std::wstring item(length + 1, L'\0');
        DWORD_PTR copied = 0;
        SendWithin(Control(id), CB_GETLBTEXT, index, reinterpret_cast<LPARAM>(&item[0]), kReplyTimeoutMs, &copied);
        item.resize(copied);
        items.push_back(item);
    }
    return items;
}

std::vector<std::wstring> ConsoleDriver::ListLines(int id) const {
    std::vector<std::wstring> lines;
    DWORD_PTR count = 0;
    if (!SendWithin(Control(id), LB_GETCOUNT, 0, 0, kReplyTimeoutMs, &count)) return lines;
    for (WPARAM index = 0; index < count; ++index) {
        DWORD_PTR length = 0;
        SendWithin(Control(id), LB_GETTEXTLEN, index, 0, kReplyTimeoutMs, &length);
        std::wstring line(length + 1, L'\0');
        DWORD_PTR copied = 0;
        SendWithin(Control(id), LB_GETTEXT, index, reinterpret_cast<LPARAM>(&line[0]), kReplyTimeoutMs, &copied);
        line.resize(copied);
        lines.push_back(line);
    }
    return lines;
}

bool ConsoleDriver::Click(int id, DWORD timeoutMs) {
    PostMessageW(Control(id), BM_CLICK, 0, 0);
    return Settle(timeoutMs);
}

void ConsoleDriver::PressKey(int id, WPARAM virtualKey) const {
    PostMessageW(Control(id), WM_KEYDOWN, virtualKey, 1);
    PostMessageW(Control(id), WM_KEYUP, virtualKey, 0xC0000001);
}

bool ConsoleDriver::Settle(DWORD timeoutMs) {
    // A sent message overtakes posted ones, so a plain WM_NULL could return
    // before our posted click was even taken from the queue. Instead, post a
    // marker behind everything posted so far (item data of the port combo's
    // first item, which the console never uses) and wait until it has landed.
    const LPARAM marker = ++m_settleMarker;
    HWND combo = Control(IDC_COMBO_PORT);
    PostMessageW(combo, CB_SETITEMDATA, 0, marker);
    return WaitUntil(
        [&] {
            DWORD_PTR data = 0;
            return SendWithin(combo, CB_GETITEMDATA, 0, 0, kReplyTimeoutMs, &data) &&
                   static_cast<LPARAM>(data) == marker;
        },
        timeoutMs);
}

HWND ConsoleDriver::FindMessageBox() const { return FindTopLevel(m_process.dwProcessId, kMessageBoxCaption); }

HWND ConsoleDriver::WaitForMessageBox(DWORD timeoutMs) const {
    HWND box = nullptr;
    WaitUntil([&] { return (box = FindMessageBox()) != nullptr; }, timeoutMs);
    return box;
}

std::wstring ConsoleDriver::MessageBoxText(HWND box) { return WindowText(GetDlgItem(box, kMessageBoxTextId)); }

void ConsoleDriver::DismissMessageBox(HWND box) { PostMessageW(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0); }

SIZE ConsoleDriver::TemplateSizeInPixels() {
    SIZE size{0, 0};
    HMODULE exe = LoadLibraryExW(ConsolePath().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    if (exe == nullptr) return size;
    HWND copy = CreateDialogParamW(exe, MAKEINTRESOURCEW(IDD_CONSOLE), nullptr, IgnoreEverything, 0);
    RECT rect{0, 0, 513, 355};
    if (copy != nullptr && MapDialogRect(copy, &rect)) size = SIZE{rect.right, rect.bottom};
    if (copy != nullptr) DestroyWindow(copy);
    FreeLibrary(exe);
    return size;
}

bool ConsoleDriver::WaitForExit(DWORD timeoutMs) {
    return WaitForSingleObject(m_process.hProcess, timeoutMs) == WAIT_OBJECT_0;
}

DWORD ConsoleDriver::ExitCode() const {
    DWORD code = STILL_ACTIVE;
    GetExitCodeProcess(m_process.hProcess, &code);
    return code;
}
