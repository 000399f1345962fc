#pragma once
#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "record_io.h"
#include "virtual_clock.h"

// The local time is the virtual clock's time of day, on 5 March 2024.
class FakeLocalClock : public LocalClock {
public:
    explicit FakeLocalClock(VirtualClock& clock) : m_clock(clock) {}
    LocalTime Now() override {
        const int ms = static_cast<int>(m_clock.NowUs() / 1000 % 86400000);
        return LocalTime{2024, 3, 5, ms / 3600000, ms / 60000 % 60, ms / 1000 % 60, ms % 1000};
    }

private:
    VirtualClock& m_clock;
};

// The Save As dialog answers from `answers` in turn (none, or none left:
// cancelled); `whileAsking` runs while it is up.
class FakeFileShell : public FileShell {
public:
    std::optional<std::string> AskSavePath(const std::string& fileName) override {
        proposed.push_back(fileName);
        if (whileAsking) whileAsking();
        if (answers.empty()) return std::nullopt;
        std::optional<std::string> answer = answers.front();
        answers.pop_front();
        return answer;
    }
    void Open(const std::string& path) override { opened.push_back(path); }

    std::deque<std::optional<std::string>> answers;
    std::function<void()> whileAsking;
    std::vector<std::string> proposed;
    std::vector<std::string> opened;
};

// A file whose bytes stay here. `createError` fails the creation; append
// number `failingAppend` (from 0) fails with a full disk and writes nothing.
class FakeOutputFile : public OutputFile {
public:
    FileError Create(const std::string& name) override {
        if (createError) return createError;
        path = name;
        open = true;
        return {};
    }
    FileError Append(const std::string& more) override {
        if (!open || appends++ == failingAppend) return FileError{FileFailure::DiskFull, 112};
        bytes += more;
        return {};
    }
    void Close() override { open = false; }

    std::string path;
    std::string bytes;
    bool open = false;
    FileError createError;
    int appends = 0;
    int failingAppend = -1;
};
