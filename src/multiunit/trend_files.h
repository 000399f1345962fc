#pragma once
#include <windows.h>

#include <optional>
#include <string>

// The trend window's files: a records CSV to review, a PNG of the view.
// Paths are UTF-8.

// The Open dialog for a records CSV; none when the operator cancelled.
std::optional<std::string> AskRecordPath(HWND owner);
// The Save As dialog for a PNG image, proposing `fileName` in the user's Pictures folder.
std::optional<std::string> AskImagePath(HWND owner, const std::string& fileName);
// The whole file; none when it cannot be read.
std::optional<std::string> ReadWholeFile(const std::string& path);
// Writes `bitmap` as a PNG file through GDI+, which every Windows has. False on any failure.
bool SavePng(HBITMAP bitmap, const std::string& path);
