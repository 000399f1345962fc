#include "fake_dialog_window.h"

void FakeDialogWindow::Enable(int id, bool on) {
    enabled[id] = on;
    journal.push_back((on ? "on " : "off ") + std::to_string(id));
}

bool FakeDialogWindow::IsEnabled(int id) const {
    const auto it = enabled.find(id);
    return it == enabled.end() || it->second;
}

std::vector<int> FakeDialogWindow::Switched(bool on) const {
    const std::string prefix = on ? "on " : "off ";
    std::vector<int> ids;
    for (const std::string& entry : journal) {
        if (entry.compare(0, prefix.size(), prefix) == 0) ids.push_back(std::stoi(entry.substr(prefix.size())));
    }
    return ids;
}

int FakeDialogWindow::GetComboSelection(int id) {
    const auto it = selections.find(id);
    return it == selections.end() ? -1 : it->second;
}

// Like CB_SETCURSEL: the combo then shows the item, or nothing for -1.
void FakeDialogWindow::SetComboSelection(int id, int index) {
    const std::vector<std::string>& items = comboItems[id];
    const bool valid = index >= 0 && static_cast<size_t>(index) < items.size();
    selections[id] = valid ? index : -1;
    texts[id] = valid ? items[static_cast<size_t>(index)] : std::string();
}

// Like LB_INSERTSTRING: an index past the end, or -1, appends.
void FakeDialogWindow::InsertListLine(int id, int index, const std::string& text) {
    std::vector<std::string>& lines = lists[id];
    const bool inside = index >= 0 && static_cast<size_t>(index) <= lines.size();
    lines.insert(inside ? lines.begin() + index : lines.end(), text);
}

void FakeDialogWindow::StartTimer(uint32_t periodMs) {
    timerRunning = true;
    timerPeriodMs = periodMs;
    journal.push_back("timer " + std::to_string(periodMs));
}

void FakeDialogWindow::StopTimer() {
    timerRunning = false;
    journal.push_back("timer stop");
}

void FakeDialogWindow::SetWindowSize(int width, int height) {
    rect.right = rect.left + width;
    rect.bottom = rect.top + height;
}
