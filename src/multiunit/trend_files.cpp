#include "trend_files.h"

#include <commdlg.h>
#include <shlobj.h>

#include <algorithm>
#include <vector>

// GDI+'s headers use min and max unqualified, which NOMINMAX takes away.
namespace Gdiplus {
using std::max;
using std::min;
}  // namespace Gdiplus
#include <gdiplus.h>

#include "win32_utf16.h"

namespace {

// Room for the longest path the dialog may hand back.
constexpr size_t kPathChars = 32768;
// GDI+'s built-in PNG encoder.
constexpr CLSID kPngEncoder = {0x557cf406, 0x1a04, 0x11d3, {0x9a, 0x73, 0x00, 0x00, 0xf8, 0x1e, 0xf3, 0x2e}};

std::wstring KnownFolder(const KNOWNFOLDERID& id) {
    PWSTR path = nullptr;
    std::wstring folder;
    if (SUCCEEDED(SHGetKnownFolderPath(id, 0, nullptr, &path))) folder = path;
    CoTaskMemFree(path);  // also when the call failed
    return folder;
}

std::optional<std::string> AskPath(HWND owner, const wchar_t* filter, const wchar_t* extension,
                                   const std::string& proposed, const std::wstring& folder, bool save) {
    std::vector<wchar_t> path(kPathChars, L'\0');
    WideFromUtf8(proposed).copy(path.data(), path.size() - 1);
    OPENFILENAMEW dialog{};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = owner;
    dialog.lpstrFilter = filter;
    dialog.lpstrFile = path.data();
    dialog.nMaxFile = static_cast<DWORD>(path.size());
    dialog.lpstrInitialDir = folder.empty() ? nullptr : folder.c_str();
    dialog.lpstrDefExt = extension;
    dialog.Flags = OFN_EXPLORER | OFN_HIDEREADONLY | OFN_NOCHANGEDIR |
                   (save ? OFN_OVERWRITEPROMPT | OFN_PATHMUSTEXIST : OFN_FILEMUSTEXIST);
    // FALSE for a cancel and for a dialog that could not be shown alike.
    const BOOL chosen = save ? GetSaveFileNameW(&dialog) : GetOpenFileNameW(&dialog);
    if (!chosen) return std::nullopt;
    return Utf8FromWide(path.data());
}

}  // namespace

std::optional<std::string> AskRecordPath(HWND owner) {
    return AskPath(owner, L"CSV (*.csv)\0*.csv\0", L"csv", "", KnownFolder(FOLDERID_Documents), false);
}

std::optional<std::string> AskImagePath(HWND owner, const std::string& fileName) {
    return AskPath(owner, L"PNG (*.png)\0*.png\0", L"png", fileName, KnownFolder(FOLDERID_Pictures), true);
}

std::optional<std::string> ReadWholeFile(const std::string& path) {
    const HANDLE file = CreateFileW(WideFromUtf8(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                    nullptr, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (file == INVALID_HANDLE_VALUE) return std::nullopt;
    std::optional<std::string> bytes;
    LARGE_INTEGER size{};
    // A record still being written may grow meanwhile: what was there at the start is read.
    if (GetFileSizeEx(file, &size) && static_cast<unsigned long long>(size.QuadPart) < std::string().max_size()) {
        bytes.emplace(static_cast<size_t>(size.QuadPart), '\0');
        size_t done = 0;
        while (done < bytes->size()) {
            DWORD got = 0;
            const DWORD want = static_cast<DWORD>(std::min<size_t>(bytes->size() - done, 1 << 24));
            if (!ReadFile(file, bytes->data() + done, want, &got, nullptr) || got == 0) break;
            done += got;
        }
        bytes->resize(done);
    }
    CloseHandle(file);
    return bytes;
}

bool SavePng(HBITMAP bitmap, const std::string& path) {
    Gdiplus::GdiplusStartupInput input;
    ULONG_PTR token = 0;
    if (Gdiplus::GdiplusStartup(&token, &input, nullptr) != Gdiplus::Ok) return false;
    bool saved = false;
    {
        Gdiplus::Bitmap image(bitmap, nullptr);
        saved = image.GetLastStatus() == Gdiplus::Ok &&
                image.Save(WideFromUtf8(path).c_str(), &kPngEncoder, nullptr) == Gdiplus::Ok;
    }
    Gdiplus::GdiplusShutdown(token);
    return saved;
}
