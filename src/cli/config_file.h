#pragma once
#include <cstddef>
#include <string>

// --config FILE: CLI11 reads it (TOML: key = value, a command's options in
// its [section]) but names an unknown key without its line; this finds it.
// `fullName` is CLI11's: "section.key", or "key" outside any section. 0 when
// no line has it.
size_t ConfigKeyLine(const std::string& path, const std::string& fullName);
