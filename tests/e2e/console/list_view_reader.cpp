#include "list_view_reader.h"

#include <commctrl.h>

namespace {

constexpr DWORD kReplyTimeoutMs = 15000;
constexpr size_t kTextChars = 256;

// The item record with its text buffer right behind it, as laid out in the list's process.
struct RemoteItem {
    LVITEMW item;
    wchar_t text[kTextChars];
};

}  // namespace

std::wstring ListViewCell(HWND list, int row, int column) {
    DWORD processId = 0;
    GetWindowThreadProcessId(list, &processId);
    HANDLE process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, processId);
    if (process == nullptr) return L"?";
    auto* remote = static_cast<RemoteItem*>(
        VirtualAllocEx(process, nullptr, sizeof(RemoteItem), MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
    std::wstring text = L"?";
    if (remote != nullptr) {
        LVITEMW item{};
        item.iSubItem = column;
        item.pszText = remote->text;
        item.cchTextMax = kTextChars;
        DWORD_PTR length = 0;
        RemoteItem local{};
        if (WriteProcessMemory(process, &remote->item, &item, sizeof item, nullptr) &&
            SendMessageTimeoutW(list, LVM_GETITEMTEXTW, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(remote),
                                SMTO_BLOCK, kReplyTimeoutMs, &length) &&
            ReadProcessMemory(process, remote, &local, sizeof local, nullptr)) {
            text.assign(local.text, length < kTextChars ? length : kTextChars - 1);
        }
        VirtualFreeEx(process, remote, 0, MEM_RELEASE);
    }
    CloseHandle(process);
    return text;
}
