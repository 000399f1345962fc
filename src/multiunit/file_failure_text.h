#pragma once
#include <string>

#include "record_io.h"

// A file's failure as the window's message box says it: what failed, why,
// and the file's path, one a line.
std::string FileFailureText(const char* what, const FileError& error, const std::string& path);
