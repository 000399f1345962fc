#include "win32_cp936_decoder.h"

#include <windows.h>

#include "win32_utf16.h"

namespace {

constexpr UINT kSimplifiedChinese = 936;
constexpr wchar_t kReplacement = L'\xFFFD';

}  // namespace

std::string Win32Cp936Decoder::ToUtf8(const std::string& bytes) {
    // One character at a time: converting the whole text at once would turn a
    // lead byte and the plain character after it into one '?' together.
    std::wstring text;
    size_t at = 0;
    while (at < bytes.size()) {
        const bool pair = IsDBCSLeadByteEx(kSimplifiedChinese, static_cast<BYTE>(bytes[at])) && at + 1 < bytes.size();
        const int length = pair ? 2 : 1;
        wchar_t character[2];
        const int units =
            MultiByteToWideChar(kSimplifiedChinese, MB_ERR_INVALID_CHARS, &bytes[at], length, character, 2);
        if (units > 0) {
            text.append(character, static_cast<size_t>(units));
            at += static_cast<size_t>(length);
        } else {
            // Not a character: replace its first byte and go on after it.
            text += kReplacement;
            ++at;
        }
    }
    return Utf8FromWide(text);
}
