#pragma once
#include <string>

#include "dialog_window.h"
#include "log_sink.h"

// The exchange's log on the console: one list box of the window. Adding
// leaves the place to the list box (it sorts); inserting puts a line first.
class LogListBox : public LogSink {
public:
    // Continuous acquisition inserts lines for as long as it runs, and nothing
    // clears the log meanwhile: without a bound a week's run would fill the
    // list box with millions of lines, slow every insertion and end in an
    // exhausted address space. 10,000 lines are 25 minutes at the shortest
    // interval: the log shows the latest exchanges, it is no history.
    static constexpr int kMaxLines = 10000;

    LogListBox(DialogWindow& window, int listId) : m_window(window), m_listId(listId) {}

    void ClearLog() override { m_window.ClearList(m_listId); }
    // Every operation that adds lines clears the log first, so only the lines
    // inserted on top ever reach the bound.
    void AddLogLine(const std::string& text) override { m_window.AddListLine(m_listId, text); }
    // The oldest line is at the bottom: it makes room for the newest.
    void InsertLogLineAtTop(const std::string& text) override {
        for (int count = m_window.ListLineCount(m_listId); count >= kMaxLines; --count) {
            m_window.DeleteListLine(m_listId, count - 1);
        }
        m_window.InsertListLine(m_listId, 0, text);
    }

private:
    DialogWindow& m_window;
    int m_listId;
};
