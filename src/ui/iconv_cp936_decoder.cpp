#include "iconv_cp936_decoder.h"

#include <iconv.h>

#include <cerrno>

namespace {
constexpr char kReplacement[] = "\xEF\xBF\xBD";  // U+FFFD in UTF-8
}  // namespace

std::string IconvCp936Decoder::ToUtf8(const std::string& bytes) {
    iconv_t converter = iconv_open("UTF-8", "CP936");
    if (converter == reinterpret_cast<iconv_t>(-1)) return std::string(bytes.size(), '?');
    std::string text;
    std::string input = bytes;
    char* in = &input[0];
    size_t inLeft = input.size();
    while (inLeft > 0) {
        char chunk[256];
        char* out = chunk;
        size_t outLeft = sizeof chunk;
        const size_t converted = iconv(converter, &in, &inLeft, &out, &outLeft);
        text.append(chunk, static_cast<size_t>(out - chunk));
        // An invalid or cut-off sequence: replace its first byte and go on after it.
        if (converted == static_cast<size_t>(-1) && errno != E2BIG) {
            text += kReplacement;
            ++in;
            --inLeft;
        }
    }
    iconv_close(converter);
    return text;
}
