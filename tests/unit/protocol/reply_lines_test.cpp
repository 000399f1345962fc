#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

#include "format_hex.h"
#include "reply_lines.h"

namespace {

// The hex text of the bytes first to last, each holding its own position.
std::string HexOf(size_t first, size_t last) {
    std::vector<uint8_t> bytes;
    for (size_t i = first; i <= last; ++i) bytes.push_back(static_cast<uint8_t>(i));
    return FormatHex(bytes.data(), bytes.size());
}

TEST(FiveReplyLines, SliceTheShortAndTheLongReply) {
    const struct {
        size_t bytes;
        std::array<std::string, 5> lines;
    } cases[] = {
        // 11 bytes: all in line 1, lines 2 to 4 bare, line 5 the last 9 again.
        {11, {"读1:" + HexOf(0, 10), "读2:", "读3:", "读4:", "读5:" + HexOf(2, 10)}},
        // 85 bytes: 20 a line, then the last 9, which overlap line 4.
        {85,
         {"读1:" + HexOf(0, 19), "读2:" + HexOf(20, 39), "读3:" + HexOf(40, 59), "读4:" + HexOf(60, 79),
          "读5:" + HexOf(76, 84)}},
        // Shorter than the tail: line 5 is all of it.
        {2, {"读1:" + HexOf(0, 1), "读2:", "读3:", "读4:", "读5:" + HexOf(0, 1)}},
    };
    for (const auto& c : cases) EXPECT_EQ(c.lines, FiveReplyLines(HexOf(0, c.bytes - 1))) << c.bytes;
}

}  // namespace
