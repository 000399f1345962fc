#pragma once
#include <string>

// UTF-8, the program's own text, <-> UTF-16, the wide Win32 API's.
// Invalid UTF-8 becomes U+FFFD; nothing is cut short.
std::wstring WideFromUtf8(const std::string& text);
std::string Utf8FromWide(const std::wstring& text);
