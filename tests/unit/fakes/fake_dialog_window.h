#pragma once
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "dialog_window.h"

// A window that records everything a handler does to it. Controls it was
// told nothing about are enabled and empty, as in a fresh template.
// AddListLine appends: the list box's own sorting is the Win32 layer's.
class FakeDialogWindow : public DialogWindow {
public:
    static constexpr uintptr_t kHandle = 0x5A17;

    struct Font {
        std::string face;
        int tenthsOfPoint = 0;
        bool operator==(const Font& other) const {
            return face == other.face && tenthsOfPoint == other.tenthsOfPoint;
        }
    };

    std::string GetText(int id) override { return texts[id]; }
    void SetText(int id, const std::string& text) override { texts[id] = text; }
    void Enable(int id, bool enabled) override;

    int GetComboSelection(int id) override;
    void SetComboSelection(int id, int index) override;

    void ClearList(int id) override { lists[id].clear(); }
    void AddListLine(int id, const std::string& text) override { lists[id].push_back(text); }
    void InsertListLine(int id, int index, const std::string& text) override;

    void ShowMessage(const std::string& text) override { messages.push_back(text); }

    void StartTimer(uint32_t periodMs) override;
    void StopTimer() override;

    WindowRect GetWindowRect() override { return rect; }
    void SetWindowSize(int width, int height) override;

    void SetProgramIcon() override { ++iconSets; }
    void SetControlFont(int id, const std::string& face, int tenthsOfPoint) override {
        fonts[id] = {face, tenthsOfPoint};
    }
    uintptr_t NativeHandle() override { return kHandle; }

    bool IsEnabled(int id) const;
    // Ids switched on or off, in call order, each switch counted.
    std::vector<int> Switched(bool enabled) const;

    std::map<int, std::string> texts;
    std::map<int, bool> enabled;
    std::map<int, std::vector<std::string>> comboItems;
    std::map<int, int> selections;
    std::map<int, std::vector<std::string>> lists;
    std::vector<std::string> messages;
    bool timerRunning = false;
    uint32_t timerPeriodMs = 0;
    WindowRect rect;
    std::map<int, Font> fonts;
    int iconSets = 0;
    // Enable and timer calls in order: "on 1012", "off 1012", "timer 1000", "timer stop".
    std::vector<std::string> journal;
};
