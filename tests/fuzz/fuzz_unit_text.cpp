// What the console makes of a unit's bytes for the operator: a text field in
// code page 936 turned into UTF-8, and a long reply logged in five lines.
#include <algorithm>
#include <cstdlib>
#include <string>

#include "format_hex.h"
#include "iconv_cp936_decoder.h"
#include "reply_lines.h"

namespace {

// Well-formed UTF-8: what the window layer is handed must convert cleanly.
bool IsUtf8(const std::string& text) {
    for (size_t i = 0; i < text.size();) {
        const auto lead = static_cast<unsigned char>(text[i]);
        const size_t length = lead < 0x80           ? 1
                              : (lead >> 5) == 0x6  ? 2
                              : (lead >> 4) == 0xE  ? 3
                              : (lead >> 3) == 0x1E ? 4
                                                    : 0;
        if (length == 0 || i + length > text.size()) return false;
        for (size_t k = 1; k < length; ++k) {
            if ((static_cast<unsigned char>(text[i + k]) >> 6) != 0x2) return false;
        }
        i += length;
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    IconvCp936Decoder decoder;
    const std::string text = decoder.ToUtf8(std::string(reinterpret_cast<const char*>(data), size));
    // Every byte shows as something: at least one character per two bytes.
    if (!IsUtf8(text) || (size > 0 && text.empty())) std::abort();

    // The five lines hold the hex text in order: four slices of 60 characters
    // from its start, and its last 27 characters.
    const std::string hex = FormatHex(data, size);
    const auto lines = FiveReplyLines(hex);
    std::string slices;
    for (size_t i = 0; i < 4; ++i) {
        const std::string prefix = "读" + std::to_string(i + 1) + ":";
        if (lines[i].compare(0, prefix.size(), prefix) != 0 || lines[i].size() - prefix.size() > 60) std::abort();
        slices += lines[i].substr(prefix.size());
    }
    if (hex.compare(0, slices.size(), slices) != 0 || slices.size() != std::min<size_t>(hex.size(), 240)) std::abort();
    const std::string tail = hex.size() > 27 ? hex.substr(hex.size() - 27) : hex;
    if (lines[4] != "读5:" + tail) std::abort();
    return 0;
}
