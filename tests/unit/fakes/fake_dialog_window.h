#pragma once
#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "dialog_window.h"

// A window that records everything a handler does to it. Controls it was
// told nothing about are enabled and empty, as in a fresh template.
// AddListLine appends: the list box's own sorting is the Win32 layer's.
// A drop-down list combo takes no window text, as in Win32: it shows its
// selected item.
class FakeDialogWindow : public DialogWindow {
public:
    static constexpr uintptr_t kHandle = 0x5A17;
    using Font = std::pair<std::string, int>;  // face, tenths of a point

    std::string GetText(int id) override { return texts[id]; }
    void SetText(int id, const std::string& text) override {
        if (!dropDownLists.count(id)) texts[id] = text;
    }
    void Enable(int id, bool on) override {
        enabled[id] = on;
        journal.push_back((on ? "on " : "off ") + std::to_string(id));
    }

    bool IsChecked(int id) override { return checked[id]; }
    void SetChecked(int id, bool on) override { checked[id] = on; }

    int GetComboSelection(int id) override { return selections.count(id) ? selections[id] : -1; }
    // Like CB_SETCURSEL: the combo then shows the item, or nothing for -1.
    void SetComboSelection(int id, int index) override {
        const std::vector<std::string>& items = comboItems[id];
        const bool valid = index >= 0 && static_cast<size_t>(index) < items.size();
        selections[id] = valid ? index : -1;
        texts[id] = valid ? items[static_cast<size_t>(index)] : std::string();
    }
    // Like CB_RESETCONTENT, then CB_ADDSTRING for each: the selection goes with the old items.
    void SetComboItems(int id, const std::vector<std::string>& items) override {
        comboItems[id] = items;
        SetComboSelection(id, -1);
    }

    void ClearList(int id) override { lists[id].clear(); }
    void AddListLine(int id, const std::string& text) override { lists[id].push_back(text); }
    // Like LB_INSERTSTRING: an index past the end, or -1, appends.
    void InsertListLine(int id, int index, const std::string& text) override {
        std::vector<std::string>& lines = lists[id];
        const bool inside = index >= 0 && static_cast<size_t>(index) <= lines.size();
        lines.insert(inside ? lines.begin() + index : lines.end(), text);
    }

    int ListLineCount(int id) override { return static_cast<int>(lists[id].size()); }
    void DeleteListLine(int id, int index) override {
        std::vector<std::string>& lines = lists[id];
        if (index >= 0 && static_cast<size_t>(index) < lines.size()) lines.erase(lines.begin() + index);
    }
    void SetListSortLocale(int id, uint16_t languageId) override { listLocales[id] = languageId; }

    void ShowMessage(const std::string& text) override {
        messages.push_back(text);
        if (whileMessageShows) whileMessageShows(text);
    }
    std::optional<std::string> PromptPassword() override {
        ++passwordPrompts;
        return passwordAnswer;
    }

    void StartTimer(uint32_t periodMs) override {
        timerRunning = true;
        timerPeriodMs = periodMs;
        journal.push_back("timer " + std::to_string(periodMs));
    }
    void StopTimer() override {
        timerRunning = false;
        journal.push_back("timer stop");
    }

    WindowRect GetWindowRect() override { return rect; }
    void SetWindowSize(int width, int height) override {
        rect.right = rect.left + width;
        rect.bottom = rect.top + height;
    }

    void SetProgramIcon() override { ++iconSets; }
    void SetControlFont(int id, const std::string& face, int tenthsOfPoint) override {
        fonts[id] = {face, tenthsOfPoint};
    }
    uintptr_t NativeHandle() override { return kHandle; }

    bool IsEnabled(int id) const { return !enabled.count(id) || enabled.at(id); }
    // Ids switched on or off, in call order, each switch counted.
    std::vector<int> Switched(bool on) const {
        std::vector<int> ids;
        for (const std::string& entry : journal) {
            if (entry.rfind(on ? "on " : "off ", 0) == 0) ids.push_back(std::stoi(entry.substr(entry.find(' ') + 1)));
        }
        return ids;
    }

    std::map<int, std::string> texts;
    std::map<int, bool> enabled;
    std::map<int, bool> checked;
    std::map<int, std::vector<std::string>> comboItems;
    std::set<int> dropDownLists;
    std::map<int, int> selections;
    std::map<int, std::vector<std::string>> lists;
    std::map<int, uint16_t> listLocales;
    std::vector<std::string> messages;
    // Runs while a message box is up, before the operator closes it.
    std::function<void(const std::string&)> whileMessageShows;
    // What the operator confirms in the password dialog; nothing: closed without OK.
    std::optional<std::string> passwordAnswer;
    int passwordPrompts = 0;
    bool timerRunning = false;
    uint32_t timerPeriodMs = 0;
    WindowRect rect;
    std::map<int, Font> fonts;
    int iconSets = 0;
    // Enable and timer calls in order: "on 1012", "off 1012", "timer 1000", "timer stop".
    std::vector<std::string> journal;
};
