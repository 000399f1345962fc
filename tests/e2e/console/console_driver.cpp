#include "console_driver.h"

#include <commctrl.h>
#include <dlgs.h>

#include <algorithm>

#include "resource.h"

namespace {

constexpr wchar_t kConsoleCaption[] = L"Lumeric_Ver1.0";
constexpr wchar_t kDialogClass[] = L"#32770";
// A reply the console owes us never takes longer than this: its longest
// handler waits 5000 ms for a silent unit.
constexpr DWORD kReplyTimeoutMs = 15000;

bool Send(HWND target, UINT message, WPARAM wParam, LPARAM lParam, DWORD_PTR* result = nullptr) {
    DWORD_PTR ignored = 0;
    return SendMessageTimeoutW(target, message, wParam, lParam, SMTO_BLOCK, kReplyTimeoutMs,
                               result ? result : &ignored) != 0;
}

// The console's visible top-level dialogs with this caption.
// Tests run side by side in one Wine prefix: only this console's windows count.
std::vector<HWND> FindTopLevels(DWORD processId, const wchar_t* caption) {
    std::vector<HWND> found;
    for (HWND window = nullptr; (window = FindWindowExW(nullptr, window, kDialogClass, caption)) != nullptr;) {
        DWORD owner = 0;
        GetWindowThreadProcessId(window, &owner);
        if (owner == processId && IsWindowVisible(window)) found.push_back(window);
    }
    return found;
}

// WM_GETTEXT, CB_GETLBTEXT and LB_GETTEXT alike: ask the length, then copy into
// a buffer one longer. Their wParam is the item's index, for WM_GETTEXT the buffer's size.
std::wstring ReadText(HWND window, UINT lengthMessage, UINT textMessage, WPARAM index = 0) {
    DWORD_PTR length = 0;
    if (!Send(window, lengthMessage, index, 0, &length)) return L"?";
    std::wstring text(length + 1, L'\0');
    DWORD_PTR copied = 0;
    Send(window, textMessage, textMessage == WM_GETTEXT ? length + 1 : index, reinterpret_cast<LPARAM>(&text[0]),
         &copied);
    text.resize(copied);
    return text;
}

INT_PTR CALLBACK IgnoreEverything(HWND, UINT, WPARAM, LPARAM) { return FALSE; }

}  // namespace

ConsoleDriver::~ConsoleDriver() {
    if (m_process.hProcess == nullptr) return;
    TerminateProcess(m_process.hProcess, 1);  // fails, harmlessly, once the console has ended
    WaitForSingleObject(m_process.hProcess, 5000);
    CloseHandle(m_process.hThread);
    CloseHandle(m_process.hProcess);
}

std::wstring ConsoleDriver::ConsolePath() {
    wchar_t path[MAX_PATH] = {};
    std::wstring own(path, GetModuleFileNameW(nullptr, path, MAX_PATH));
    return own.substr(0, own.find_last_of(L"\\/") + 1) + L"Lumeric.exe";
}

bool ConsoleDriver::Start(DWORD timeoutMs) {
    std::wstring command = L"\"" + ConsolePath() + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    if (!CreateProcessW(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &m_process)) {
        return false;
    }
    return (m_window = WaitForNewWindow(kConsoleCaption, {}, timeoutMs)) != nullptr;
}

LRESULT ConsoleDriver::SendToIn(HWND dialog, int id, UINT message, WPARAM wParam, LPARAM lParam) {
    DWORD_PTR result = 0;
    Send(GetDlgItem(dialog, id), message, wParam, lParam, &result);
    return static_cast<LRESULT>(result);
}

std::wstring ConsoleDriver::TextIn(HWND dialog, int id) {
    return ReadText(GetDlgItem(dialog, id), WM_GETTEXTLENGTH, WM_GETTEXT);
}

std::vector<std::wstring> ConsoleDriver::ItemsIn(HWND dialog, int id, UINT countMessage, UINT lengthMessage,
                                                 UINT textMessage) {
    std::vector<std::wstring> items;
    const LRESULT count = SendToIn(dialog, id, countMessage);
    for (WPARAM index = 0; index < static_cast<WPARAM>(count); ++index) {
        items.push_back(ReadText(GetDlgItem(dialog, id), lengthMessage, textMessage, index));
    }
    return items;
}

// Every window of the console runs on its one thread: the console's settle
// marker lands behind a click posted to any of them.
bool ConsoleDriver::ClickIn(HWND dialog, int id, DWORD timeoutMs) {
    PostMessageW(GetDlgItem(dialog, id), BM_CLICK, 0, 0);
    return Settle(timeoutMs);
}

void ConsoleDriver::PressKeyIn(HWND dialog, int id, WPARAM virtualKey) {
    PostMessageW(GetDlgItem(dialog, id), WM_KEYDOWN, virtualKey, 1);
    PostMessageW(GetDlgItem(dialog, id), WM_KEYUP, virtualKey, 0xC0000001);
}

bool ConsoleDriver::ClickAndSaveAs(HWND dialog, int id, const std::wstring& path, DWORD timeoutMs) {
    ClickIn(dialog, id);
    HWND saveAs = dialog;  // the window is its own last active popup until the dialog shows
    if (!WaitUntil([&] { return (saveAs = GetLastActivePopup(dialog)) != dialog && IsWindowVisible(saveAs); },
                   timeoutMs)) {
        return false;
    }
    // The file name is the edit of combo cmb13: under Wine a ComboBoxEx, the edit inside its own combo.
    HWND combo = FindWindowExW(GetDlgItem(saveAs, cmb13), nullptr, L"ComboBox", nullptr);
    SendMessageW(FindWindowExW(combo, nullptr, L"Edit", nullptr), WM_SETTEXT, 0,
                 reinterpret_cast<LPARAM>(path.c_str()));
    PostMessageW(GetDlgItem(saveAs, IDOK), BM_CLICK, 0, 0);
    return Settle();
}

bool ConsoleDriver::Settle(DWORD timeoutMs) {
    // A sent message overtakes posted ones, so a plain WM_NULL could return
    // before our posted click was even taken from the queue. Instead, post a
    // marker behind everything posted so far (item data of the port combo's
    // first item, which the console never uses) and wait until it has landed.
    const LPARAM marker = ++m_settleMarker;
    PostMessageW(Control(IDC_COMBO_PORT), CB_SETITEMDATA, 0, marker);
    return WaitUntil([&] { return SendTo(IDC_COMBO_PORT, CB_GETITEMDATA) == marker; }, timeoutMs);
}

std::wstring ConsoleDriver::MessageBoxText(HWND box) {
    // A message box shows its text in the static control 0xFFFF.
    return ReadText(GetDlgItem(box, 0xFFFF), WM_GETTEXTLENGTH, WM_GETTEXT);
}

std::vector<HWND> ConsoleDriver::Windows(const wchar_t* caption) const {
    return FindTopLevels(m_process.dwProcessId, caption);
}

HWND ConsoleDriver::WaitForNewWindow(const wchar_t* caption, const std::vector<HWND>& known, DWORD timeoutMs) const {
    HWND found = nullptr;
    WaitUntil(
        [&] {
            for (HWND window : FindTopLevels(m_process.dwProcessId, caption)) {
                if (std::find(known.begin(), known.end(), window) == known.end()) found = window;
            }
            return found != nullptr;
        },
        timeoutMs);
    return found;
}

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

DWORD ConsoleDriver::WaitForExit(DWORD timeoutMs) {
    DWORD code = STILL_ACTIVE;
    if (WaitForSingleObject(m_process.hProcess, timeoutMs) == WAIT_OBJECT_0)
        GetExitCodeProcess(m_process.hProcess, &code);
    return code;
}

bool ConsoleDriver::OpenPort(int com, int baudIndex) {
    SetText(IDC_COMBO_PORT, std::to_wstring(com));
    if (baudIndex >= 0) SendTo(IDC_COMBO_BAUD, CB_SETCURSEL, static_cast<WPARAM>(baudIndex));
    return Click(IDC_BTN_OPEN) && Text(IDC_BTN_OPEN) == L"关闭串口";
}

std::wstring ConsoleDriver::ClickForMessage(int id, DWORD timeoutMs) {
    Click(id, timeoutMs);
    HWND box = WaitForMessageBox(timeoutMs);
    if (box == nullptr) return L"";
    const std::wstring text = MessageBoxText(box);
    DismissMessageBox(box);
    Settle();
    return text;
}

HWND ConsoleDriver::TypeFactoryPassword() {
    Click(IDC_BTN_FACTORY_MODE);
    HWND password = WaitForNewWindow(L"对话", {}, 10000);
    if (password != nullptr) SetTextIn(password, IDC_EDIT_PASSWORD, L"507193");
    return password;
}

bool ConsoleDriver::ConfirmPassword(HWND password) {
    PostMessageW(GetDlgItem(password, IDOK), BM_CLICK, 0, 0);
    if (HWND box = WaitForMessageBox(10000)) DismissMessageBox(box);
    return Settle() && Text(IDC_BTN_FACTORY_MODE) == L"用户模式";
}

HWND ConsoleDriver::OpenMultiUnit(int com, int units, int baudIndex, bool start) {
    const std::vector<HWND> known = Windows(kMultiUnitCaption);
    Click(IDC_BTN_MULTI);
    HWND window = WaitForNewWindow(kMultiUnitCaption, known, 10000);
    if (window == nullptr) return nullptr;
    if (com > 0) SendToIn(window, IDC_COMBO_MU_PORT, CB_SETCURSEL, static_cast<WPARAM>(com - 1));
    if (baudIndex >= 0) SendToIn(window, IDC_COMBO_MU_BAUD, CB_SETCURSEL, static_cast<WPARAM>(baudIndex));
    SetTextIn(window, IDC_EDIT_DEVICE_COUNT, std::to_wstring(units));
    if (!start) return window;
    return ClickIn(window, IDC_BTN_ACQUIRE) && TextIn(window, IDC_BTN_ACQUIRE) == L"停止" ? window : nullptr;
}

// A list view hands its texts only into memory of its own process, so the
// item record and its text buffer are placed there and read back.
std::wstring TableCell(HWND window, int list, int row, int column) {
    struct RemoteItem {
        LVITEMW item;
        wchar_t text[256];
    };
    DWORD processId = 0;
    GetWindowThreadProcessId(window, &processId);
    HANDLE process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, processId);
    if (process == nullptr) return L"?";
    auto* remote = static_cast<RemoteItem*>(
        VirtualAllocEx(process, nullptr, sizeof(RemoteItem), MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
    RemoteItem local{};
    local.item.iSubItem = column;
    local.item.pszText = remote != nullptr ? remote->text : nullptr;
    local.item.cchTextMax = 256;
    DWORD_PTR length = 0;
    const bool read = remote != nullptr && WriteProcessMemory(process, remote, &local, sizeof local, nullptr) &&
                      Send(GetDlgItem(window, list), LVM_GETITEMTEXTW, static_cast<WPARAM>(row),
                           reinterpret_cast<LPARAM>(remote), &length) &&
                      ReadProcessMemory(process, remote, &local, sizeof local, nullptr);
    if (remote != nullptr) VirtualFreeEx(process, remote, 0, MEM_RELEASE);
    CloseHandle(process);
    return read ? std::wstring(local.text, std::min<size_t>(length, 255)) : L"?";
}

int TableCount(HWND window, int row, int column) {
    return _wtoi(TableCell(window, IDC_LIST_COUNTS, row, column).c_str());
}

std::string FileText(const std::wstring& path) {
    std::string bytes(1 << 16, '\0');
    DWORD read = 0;
    HANDLE file =
        CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
    ReadFile(file, &bytes[0], static_cast<DWORD>(bytes.size()), &read, nullptr);  // no file: nothing read
    CloseHandle(file);
    return bytes.substr(0, read);
}

std::string CsvLine(const std::vector<std::wstring>& cells) {
    std::wstring line;
    for (size_t i = 0; i < cells.size(); ++i) line += (i > 0 ? L"," : L"") + cells[i];
    line += L"\r\n";
    std::string utf8(line.size() * 3, '\0');
    utf8.resize(WideCharToMultiByte(CP_UTF8, 0, line.data(), static_cast<int>(line.size()), &utf8[0],
                                    static_cast<int>(utf8.size()), nullptr, nullptr));
    return utf8;
}

bool Answers(HWND window) {
    DWORD_PTR result = 0;
    return SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_BLOCK, 2000, &result) != 0;
}
