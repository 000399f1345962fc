#pragma once
#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "dialog_window.h"

// DialogWindow on a real dialog: each operation is one or two Win32 calls on
// the dialog's HWND, with the wide API and UTF-8 <-> UTF-16 at the boundary.
// The object exists before its window does: the dialog procedure attaches
// the HWND on WM_INITDIALOG and detaches it on WM_NCDESTROY.
class Win32DialogWindow : public DialogWindow {
public:
    static constexpr UINT_PTR kTimerId = 1;
    // Runs the program's password dialog, modal and owned by `owner`.
    using PasswordDialog = std::optional<std::string> (*)(HWND owner);

    // A window without a password dialog answers every prompt as cancelled.
    explicit Win32DialogWindow(PasswordDialog passwordDialog = nullptr) : m_passwordDialog(passwordDialog) {}
    ~Win32DialogWindow() override;
    Win32DialogWindow(const Win32DialogWindow&) = delete;
    Win32DialogWindow& operator=(const Win32DialogWindow&) = delete;

    void Attach(HWND window);
    // Deletes the fonts, which the controls no longer need once they are gone.
    void Detach();

    // Adds the lines of a string resource as a combo's items, in order.
    void AddComboItemsFromResource(int id, UINT stringId);
    // The program icon at the size the system uses for big icons.
    HICON ProgramIcon() const;

    std::string GetText(int id) override;
    void SetText(int id, const std::string& text) override;
    void Enable(int id, bool enabled) override;
    bool IsChecked(int id) override;
    void SetChecked(int id, bool checked) override;

    int GetComboSelection(int id) override;
    void SetComboSelection(int id, int index) override;
    void SetComboItems(int id, const std::vector<std::string>& items) override;

    void ClearList(int id) override;
    void AddListLine(int id, const std::string& text) override;
    void InsertListLine(int id, int index, const std::string& text) override;
    int ListLineCount(int id) override;
    void DeleteListLine(int id, int index) override;
    void SetListSortLocale(int id, uint16_t languageId) override;

    void ShowMessage(const std::string& text) override;
    std::optional<std::string> PromptPassword() override;

    void StartTimer(uint32_t periodMs) override;
    void StopTimer() override;

    WindowRect GetWindowRect() override;
    void SetWindowSize(int width, int height) override;

    void SetProgramIcon() override;
    void SetControlFont(int id, const std::string& face, int tenthsOfPoint) override;

    uintptr_t NativeHandle() override;

private:
    struct PointFont {
        std::wstring face;
        int tenthsOfPoint;
        HFONT font;
    };
    HFONT FontFor(const std::wstring& face, int tenthsOfPoint);
    LRESULT SendToControl(int id, UINT message, WPARAM wParam, LPARAM lParam);

    PasswordDialog m_passwordDialog;
    HWND m_window = nullptr;
    // One font per face and size, shared by the controls that use it.
    std::vector<PointFont> m_fonts;
};
