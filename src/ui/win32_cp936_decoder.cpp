#include "win32_cp936_decoder.h"

#include <windows.h>

#include "win32_dialog_window.h"

namespace {
constexpr UINT kSimplifiedChinese = 936;
}  // namespace

std::string Win32Cp936Decoder::ToUtf8(const std::string& bytes) {
    if (bytes.empty()) return std::string();
    // Without MB_ERR_INVALID_CHARS a sequence that is no character becomes
    // the code page's default character instead of failing the whole text.
    const int size = static_cast<int>(bytes.size());
    const int length = MultiByteToWideChar(kSimplifiedChinese, 0, bytes.data(), size, nullptr, 0);
    if (length <= 0) return std::string();
    std::wstring wide(static_cast<size_t>(length), L'\0');
    MultiByteToWideChar(kSimplifiedChinese, 0, bytes.data(), size, &wide[0], length);
    return Utf8FromWide(wide);
}
