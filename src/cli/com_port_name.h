#pragma once
#include <cstdint>
#include <string>

// The COM number a Windows port is named by on the command line: "COM5",
// "com5", "5" or the device path "\\.\COM5" all give 5. 0 for anything
// else, and for numbers outside 1 to 1024, which CComPort refuses.
uint32_t ComPortNumber(const std::string& name);
