#pragma once
#include <unistd.h>

#include <cstdio>
#include <string>

#include "cli_streams.h"

// Standard output and error as they are: the texts are UTF-8 already.
class PosixCliStreams : public CliStreams {
public:
    void Out(const std::string& text) override { Write(stdout, text); }
    void Err(const std::string& text) override { Write(stderr, text); }
    bool ErrIsTerminal() const override { return isatty(STDERR_FILENO) == 1; }

private:
    static void Write(std::FILE* stream, const std::string& text) {
        std::fwrite(text.data(), 1, text.size(), stream);
        std::fflush(stream);
    }
};
