#pragma once
#include <string>

#include "cp936_decoder.h"

// CP936 through iconv, for the programs and tests built on Linux, with the
// same promise as the Windows decoder: a byte that starts no character
// becomes U+FFFD.
class IconvCp936Decoder : public Cp936Decoder {
public:
    std::string ToUtf8(const std::string& bytes) override;
};
