#pragma once
#include <array>
#include <string>

// A long reply in the log as five lines: "读1:" to "读4:" take 60 characters
// of its hex text each (20 bytes), "读5:" its last 27 characters (9 bytes),
// or all of it when it is shorter. A slice that starts past the end is empty,
// so the line is then the bare prefix; the last line may repeat bytes that
// line 4 already shows.
std::array<std::string, 5> FiveReplyLines(const std::string& hex);
