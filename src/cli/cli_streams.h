#pragma once
#include <string>

// Where the program's texts go, all of them UTF-8: results on standard
// output, failures, frames and progress on standard error. Each call is
// written out at once, so a poll's lines reach a pipe as they come.
class CliStreams {
public:
    virtual ~CliStreams() = default;
    virtual void Out(const std::string& text) = 0;
    virtual void Err(const std::string& text) = 0;
    // Standard error is a terminal, where a progress line that rewrites
    // itself makes sense (and a log file would fill with them).
    virtual bool ErrIsTerminal() const = 0;
};
