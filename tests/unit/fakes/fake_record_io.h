#pragma once
#include <gtest/gtest.h>

#include <string>

#include "record_io.h"
#include "virtual_clock.h"

// The virtual clock's time of day, on 5 March 2024.
struct FakeLocalClock : LocalClock {
    explicit FakeLocalClock(VirtualClock& clock) : virtualClock(clock) {}
    LocalTime Now() override {
        const int ms = static_cast<int>(virtualClock.NowUs() / 1000 % 86400000);
        return LocalTime{2024, 3, 5, ms / 3600000, ms / 60000 % 60, ms / 1000 % 60, ms % 1000};
    }
    VirtualClock& virtualClock;
};

// A file whose bytes stay here, emptied by Create. `createError` fails the creation; append
// number `failingAppend` (from 0) fails with a full disk and writes nothing. `flushed`
// counts the bytes on the disk: a write that finds some not yet there fails the test.
struct FakeOutputFile : OutputFile {
    FileError Create(const std::string& name) override {
        if (createError) return createError;
        path = name;
        bytes.clear();
        flushed = 0;
        open = true;
        return {};
    }
    // The same file again keeps its bytes; another is a new one.
    FileError OpenToAppend(const std::string& name, bool& empty) override {
        if (name != path) Create(name);
        if (createError) return createError;
        open = true;
        empty = bytes.empty();
        return {};
    }
    void Close() override { open = false; }

    std::string path;
    std::string bytes;
    size_t flushed = 0;
    bool open = false;
    FileError createError;
    int failingAppend = -1;

protected:
    FileError Write(const std::string& more) override {
        if (!open || failingAppend-- == 0) return FileError{FileFailure::DiskFull, 112};
        EXPECT_EQ(flushed, bytes.size()) << "a line still unflushed when the next was written";
        bytes += more;
        return {};
    }
    FileError Flush() override {
        flushed = bytes.size();
        return {};
    }
};
