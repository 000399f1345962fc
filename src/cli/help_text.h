#pragma once
#include <string>

// The --help text for `command` ("read", "set", ...), or the program's
// overview for "" or a word that names no command. Every text ends with the
// exit codes.
std::string HelpText(const std::string& command);
