#include "win32_dialog_window.h"

#include <cwchar>

#include "resource.h"
#include "win32_utf16.h"

namespace {

// Every message box of the program carries the application's title.
constexpr wchar_t kApplicationTitle[] = L"Lumeric";

HINSTANCE ProgramModule() { return GetModuleHandleW(nullptr); }

}  // namespace

Win32DialogWindow::~Win32DialogWindow() { Detach(); }

void Win32DialogWindow::Attach(HWND window) { m_window = window; }

void Win32DialogWindow::Detach() {
    for (const PointFont& entry : m_fonts) DeleteObject(entry.font);
    m_fonts.clear();
    m_window = nullptr;
}

void Win32DialogWindow::AddComboItemsFromResource(int id, UINT stringId) {
    // With a zero buffer size LoadStringW hands out a pointer into the
    // resource itself: the text is not zero-terminated, its length is the result.
    const wchar_t* items = nullptr;
    int length = LoadStringW(ProgramModule(), stringId, reinterpret_cast<LPWSTR>(&items), 0);
    if (length <= 0 || items == nullptr) return;
    std::wstring all(items, static_cast<size_t>(length));
    size_t start = 0;
    while (start <= all.size()) {
        size_t end = all.find(L'\n', start);
        if (end == std::wstring::npos) end = all.size();
        std::wstring item = all.substr(start, end - start);
        SendToControl(id, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item.c_str()));
        start = end + 1;
    }
}

HICON Win32DialogWindow::ProgramIcon() const {
    return static_cast<HICON>(LoadImageW(ProgramModule(), MAKEINTRESOURCEW(IDR_MAINFRAME), IMAGE_ICON,
                                         GetSystemMetrics(SM_CXICON), GetSystemMetrics(SM_CYICON), LR_SHARED));
}

std::string Win32DialogWindow::GetText(int id) {
    HWND control = GetDlgItem(m_window, id);
    if (control == nullptr) return std::string();
    // The length may be an overestimate, never an underestimate; the copy is cut to what arrived.
    int length = GetWindowTextLengthW(control);
    if (length <= 0) return std::string();
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    int copied = GetWindowTextW(control, &text[0], length + 1);
    text.resize(copied > 0 ? static_cast<size_t>(copied) : 0);
    return Utf8FromWide(text);
}

void Win32DialogWindow::SetText(int id, const std::string& text) {
    SetDlgItemTextW(m_window, id, WideFromUtf8(text).c_str());
}

void Win32DialogWindow::Enable(int id, bool enabled) { EnableWindow(GetDlgItem(m_window, id), enabled ? TRUE : FALSE); }

bool Win32DialogWindow::IsChecked(int id) { return IsDlgButtonChecked(m_window, id) == BST_CHECKED; }

void Win32DialogWindow::SetChecked(int id, bool checked) {
    CheckDlgButton(m_window, id, checked ? BST_CHECKED : BST_UNCHECKED);
}

int Win32DialogWindow::GetComboSelection(int id) {
    return static_cast<int>(SendToControl(id, CB_GETCURSEL, 0, 0));  // CB_ERR (-1): no selection
}

void Win32DialogWindow::SetComboSelection(int id, int index) {
    SendToControl(id, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
}

void Win32DialogWindow::SetComboItems(int id, const std::vector<std::string>& items) {
    SendToControl(id, CB_RESETCONTENT, 0, 0);
    for (const std::string& item : items) {
        const std::wstring text = WideFromUtf8(item);
        SendToControl(id, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
    }
}

void Win32DialogWindow::ClearList(int id) { SendToControl(id, LB_RESETCONTENT, 0, 0); }

void Win32DialogWindow::AddListLine(int id, const std::string& text) {
    std::wstring line = WideFromUtf8(text);
    SendToControl(id, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(line.c_str()));
}

void Win32DialogWindow::InsertListLine(int id, int index, const std::string& text) {
    std::wstring line = WideFromUtf8(text);
    SendToControl(id, LB_INSERTSTRING, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(line.c_str()));
}

int Win32DialogWindow::ListLineCount(int id) {
    const LRESULT count = SendToControl(id, LB_GETCOUNT, 0, 0);
    return count > 0 ? static_cast<int>(count) : 0;  // LB_ERR (-1): no such list
}

void Win32DialogWindow::DeleteListLine(int id, int index) {
    SendToControl(id, LB_DELETESTRING, static_cast<WPARAM>(index), 0);
}

void Win32DialogWindow::SetListSortLocale(int id, uint16_t languageId) {
    SendToControl(id, LB_SETLOCALE, MAKELCID(languageId, SORT_DEFAULT), 0);
}

void Win32DialogWindow::ShowMessage(const std::string& text) {
    MessageBoxW(m_window, WideFromUtf8(text).c_str(), kApplicationTitle, MB_OK);
}

std::optional<std::string> Win32DialogWindow::PromptPassword() {
    if (m_passwordDialog == nullptr) return std::nullopt;
    return m_passwordDialog(m_window);
}

void Win32DialogWindow::StartTimer(uint32_t periodMs) { SetTimer(m_window, kTimerId, periodMs, nullptr); }

void Win32DialogWindow::StopTimer() { KillTimer(m_window, kTimerId); }

WindowRect Win32DialogWindow::GetWindowRect() {
    RECT rect{};
    ::GetWindowRect(m_window, &rect);
    return WindowRect{rect.left, rect.top, rect.right, rect.bottom};
}

void Win32DialogWindow::SetWindowSize(int width, int height) {
    SetWindowPos(m_window, nullptr, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER);
}

void Win32DialogWindow::SetProgramIcon() {
    HICON big = ProgramIcon();
    HICON smallIcon =
        static_cast<HICON>(LoadImageW(ProgramModule(), MAKEINTRESOURCEW(IDR_MAINFRAME), IMAGE_ICON,
                                      GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON), LR_SHARED));
    SendMessageW(m_window, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(big));
    SendMessageW(m_window, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(smallIcon));
}

void Win32DialogWindow::SetControlFont(int id, const std::string& face, int tenthsOfPoint) {
    HFONT font = FontFor(WideFromUtf8(face), tenthsOfPoint);
    if (font != nullptr) SendToControl(id, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
}

uintptr_t Win32DialogWindow::NativeHandle() { return reinterpret_cast<uintptr_t>(m_window); }

HFONT Win32DialogWindow::FontFor(const std::wstring& face, int tenthsOfPoint) {
    for (const PointFont& entry : m_fonts) {
        if (entry.face == face && entry.tenthsOfPoint == tenthsOfPoint) return entry.font;
    }
    LOGFONTW logFont{};
    wcsncpy(logFont.lfFaceName, face.c_str(), LF_FACESIZE - 1);
    // Points to pixels against the screen: negative asks for the character
    // height, which is what a size in points means.
    HDC screen = GetDC(nullptr);
    logFont.lfHeight = -MulDiv(tenthsOfPoint, GetDeviceCaps(screen, LOGPIXELSY), 720);
    ReleaseDC(nullptr, screen);
    HFONT font = CreateFontIndirectW(&logFont);
    if (font != nullptr) m_fonts.push_back(PointFont{face, tenthsOfPoint, font});
    return font;
}

LRESULT Win32DialogWindow::SendToControl(int id, UINT message, WPARAM wParam, LPARAM lParam) {
    return SendDlgItemMessageW(m_window, id, message, wParam, lParam);
}
