#pragma once
#include <string>
#include <variant>
#include <vector>

#include "cli_options.h"
#include "exit_code.h"

// --help or --version anywhere: the text to print, and nothing else to do.
struct TextToShow {
    std::string text;
};

// What the words after the program's name ask for: work, a text to show, or
// a refusal that names the first thing wrong.
using ParsedCommandLine = std::variant<CliOptions, TextToShow, CliFailure>;

ParsedCommandLine ParseCommandLine(const std::vector<std::string>& words);
