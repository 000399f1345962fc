#pragma once
#include <string>

// The console's log list as the exchange sees it. Texts are UTF-8.
class LogSink {
public:
    virtual ~LogSink() = default;
    virtual void ClearLog() = 0;
    // Adds the line at its place in the list's own (sorted) order.
    virtual void AddLogLine(const std::string& text) = 0;
    // Inserts the line as the first one, whatever its text.
    virtual void InsertLogLineAtTop(const std::string& text) = 0;
};
