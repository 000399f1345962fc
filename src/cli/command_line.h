#pragma once
#include <string>
#include <variant>
#include <vector>

#include "cli_options.h"
#include "exit_code.h"

// --help anywhere: the text to print, for the command named or for all.
struct HelpRequest {
    std::string text;
};

// What the words after the program's name ask for: work, help, or a refusal
// that names the first thing wrong.
using ParsedCommandLine = std::variant<CliOptions, HelpRequest, CliFailure>;

ParsedCommandLine ParseCommandLine(const std::vector<std::string>& words);
