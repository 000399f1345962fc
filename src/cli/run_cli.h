#pragma once
#include <string>
#include <vector>

#include "cli_environment.h"

// The whole program but its platform: runs the command line `words` (the
// program's name left out) and returns the exit code.
int RunCli(const std::vector<std::string>& words, CliEnvironment& environment);
