#pragma once
#include <string>
#include <vector>

#include "log_sink.h"

// Keeps the log in the order the calls left it: AddLogLine appends (the
// list box's sorting is the Win32 layer's business), the top insert goes first.
class RecordingLog : public LogSink {
public:
    void ClearLog() override {
        lines.clear();
        ++clears;
    }
    void AddLogLine(const std::string& text) override { lines.push_back(text); }
    void InsertLogLineAtTop(const std::string& text) override { lines.insert(lines.begin(), text); }

    std::vector<std::string> lines;
    int clears = 0;
};
