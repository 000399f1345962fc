#pragma once
#include <string>

#include "cp936_decoder.h"

// CP936 by its number, not the system's ANSI code page: the units' texts are
// Chinese on an English Windows too.
class Win32Cp936Decoder : public Cp936Decoder {
public:
    std::string ToUtf8(const std::string& bytes) override;
};
