#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// A window rectangle in screen pixels.
struct WindowRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
};

// All a handler may do to its window. Controls are addressed by id; texts are
// UTF-8. Win32DialogWindow maps each operation to one or two Win32 calls on
// the dialog's HWND; tests use a fake that records everything.
class DialogWindow {
public:
    virtual ~DialogWindow() = default;

    virtual std::string GetText(int id) = 0;
    virtual void SetText(int id, const std::string& text) = 0;
    virtual void Enable(int id, bool enabled) = 0;
    // Check boxes.
    virtual bool IsChecked(int id) = 0;
    virtual void SetChecked(int id, bool checked) = 0;

    // Combo boxes: -1 means no selection.
    virtual int GetComboSelection(int id) = 0;
    virtual void SetComboSelection(int id, int index) = 0;
    // Replaces every item, in the order given; nothing is selected afterwards.
    virtual void SetComboItems(int id, const std::vector<std::string>& items) = 0;

    // List boxes. AddListLine puts the line at the list's own (sorted) place.
    virtual void ClearList(int id) = 0;
    virtual void AddListLine(int id, const std::string& text) = 0;
    virtual void InsertListLine(int id, int index, const std::string& text) = 0;
    virtual int ListLineCount(int id) = 0;
    virtual void DeleteListLine(int id, int index) = 0;
    // The language whose order a sorted list follows (a Windows language id,
    // 0x0804 for Chinese (PRC)), rather than the system's own.
    virtual void SetListSortLocale(int id, uint16_t languageId) = 0;

    // A message box with one OK button, captioned with the application's title.
    // It is modal: the call returns when the operator dismisses it.
    virtual void ShowMessage(const std::string& text) = 0;
    // The password dialog, modal and owned by this window: the text typed when
    // the operator confirmed it, nothing when it was closed any other way.
    virtual std::optional<std::string> PromptPassword() = 0;

    // The window's own timer 1.
    virtual void StartTimer(uint32_t periodMs) = 0;
    virtual void StopTimer() = 0;

    // The outer rectangle, and a new size that keeps the position.
    virtual WindowRect GetWindowRect() = 0;
    virtual void SetWindowSize(int width, int height) = 0;

    // The program icon as the window's big and small icon.
    virtual void SetProgramIcon() = 0;
    // A font of the given face and height in tenths of a point, for one control.
    // The window keeps it alive as long as it exists.
    virtual void SetControlFont(int id, const std::string& face, int tenthsOfPoint) = 0;

    // The native handle, as the port's line-event messages need it.
    virtual uintptr_t NativeHandle() = 0;
};
