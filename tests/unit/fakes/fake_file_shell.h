#pragma once
#include <optional>
#include <string>
#include <vector>

#include "multi_unit_files.h"

// The Save As dialog answers from `answers` in turn (none, or none left: cancelled).
struct FakeFileShell : FileShell {
    std::optional<std::string> AskSavePath(const std::string& fileName) override {
        proposed.push_back(fileName);
        return proposed.size() <= answers.size() ? answers[proposed.size() - 1] : std::nullopt;
    }
    void Open(const std::string& path) override { opened.push_back(path); }

    std::vector<std::optional<std::string>> answers;
    std::vector<std::string> proposed;
    std::vector<std::string> opened;
};
