#pragma once
#include <string>

#include "dialog_window.h"
#include "log_sink.h"

// The exchange's log on the console: one list box of the window. Adding
// leaves the place to the list box (it sorts); inserting puts a line first.
class LogListBox : public LogSink {
public:
    LogListBox(DialogWindow& window, int listId) : m_window(window), m_listId(listId) {}

    void ClearLog() override { m_window.ClearList(m_listId); }
    void AddLogLine(const std::string& text) override { m_window.AddListLine(m_listId, text); }
    void InsertLogLineAtTop(const std::string& text) override { m_window.InsertListLine(m_listId, 0, text); }

private:
    DialogWindow& m_window;
    int m_listId;
};
