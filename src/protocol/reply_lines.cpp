#include "reply_lines.h"

namespace {
constexpr size_t kSliceChars = 60;
constexpr size_t kTailChars = 27;
}  // namespace

std::array<std::string, 5> FiveReplyLines(const std::string& hex) {
    std::array<std::string, 5> lines;
    for (size_t i = 0; i < 4; ++i) {
        const size_t start = i * kSliceChars;
        lines[i] = "读" + std::to_string(i + 1) + ":" + (start < hex.size() ? hex.substr(start, kSliceChars) : "");
    }
    lines[4] = "读5:" + (hex.size() > kTailChars ? hex.substr(hex.size() - kTailChars) : hex);
    return lines;
}
