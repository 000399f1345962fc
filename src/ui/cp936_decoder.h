#pragma once
#include <string>

// The unit's text fields (name, versions, maker) are bytes in code page 936,
// simplified Chinese, whatever code page the system the console runs on uses.
class Cp936Decoder {
public:
    virtual ~Cp936Decoder() = default;
    // UTF-8 of `bytes`. A sequence that is not CP936 becomes a replacement
    // character; nothing is dropped and nothing fails.
    virtual std::string ToUtf8(const std::string& bytes) = 0;
};
