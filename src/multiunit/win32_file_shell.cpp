#include <windows.h>
#include <commdlg.h>
#include <objbase.h>
#include <shellapi.h>
#include <shlobj.h>

#include <vector>

#include "win32_utf16.h"
#include "win32_file_shell.h"

namespace {

// Room for the longest path the dialog may hand back.
constexpr size_t kPathChars = 32768;

// The shell's dialogs and verbs may call on COM objects: give them a
// single-threaded apartment for the call, whether or not the thread had one.
class ComApartment {
public:
    ComApartment() : m_result(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE)) {}
    ~ComApartment() {
        if (SUCCEEDED(m_result)) CoUninitialize();
    }
    ComApartment(const ComApartment&) = delete;
    ComApartment& operator=(const ComApartment&) = delete;

private:
    HRESULT m_result;
};

// The user's Documents folder; empty when the system names none.
std::wstring DocumentsFolder() {
    PWSTR path = nullptr;
    std::wstring folder;
    if (SUCCEEDED(SHGetKnownFolderPath(FOLDERID_Documents, 0, nullptr, &path))) folder = path;
    CoTaskMemFree(path);  // also when the call failed
    return folder;
}

}  // namespace

std::optional<std::string> Win32FileShell::AskSavePath(const std::string& fileName) {
    ComApartment apartment;
    const std::wstring folder = DocumentsFolder();
    const std::wstring proposed = WideFromUtf8(fileName);
    std::vector<wchar_t> path(kPathChars, L'\0');
    proposed.copy(path.data(), path.size() - 1);

    OPENFILENAMEW dialog{};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = m_owner;
    dialog.lpstrFilter = L"CSV (*.csv)\0*.csv\0";
    dialog.lpstrFile = path.data();
    dialog.nMaxFile = static_cast<DWORD>(path.size());
    // The folder applies because the proposed name carries none.
    dialog.lpstrInitialDir = folder.empty() ? nullptr : folder.c_str();
    dialog.lpstrDefExt = L"csv";
    dialog.Flags = OFN_EXPLORER | OFN_OVERWRITEPROMPT | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY | OFN_NOCHANGEDIR;
    // FALSE for a cancel and for a dialog that could not be shown alike.
    if (!GetSaveFileNameW(&dialog)) return std::nullopt;
    return Utf8FromWide(path.data());
}

void Win32FileShell::Open(const std::string& path) {
    ComApartment apartment;
    const std::wstring file = WideFromUtf8(path);
    SHELLEXECUTEINFOW open{};
    open.cbSize = sizeof open;
    // No error box when no program is registered for the file's kind; wait
    // for the start before the apartment goes.
    open.fMask = SEE_MASK_FLAG_NO_UI | SEE_MASK_NOASYNC;
    open.hwnd = m_owner;
    open.lpFile = file.c_str();
    open.nShow = SW_SHOWNORMAL;
    ShellExecuteExW(&open);
}
