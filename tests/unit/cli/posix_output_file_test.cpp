#include "posix_record_io.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <string>

// Where a poll's CSV may go on Linux: a pipe to a collector, /dev/null, or a
// device with no room. Only the last is a write failure.
TEST(PosixOutputFile, APipeOrDevNullTakesEveryRecordAndAFullDeviceFails) {
    int ends[2];
    ASSERT_EQ(pipe(ends), 0);
    const struct {
        std::string path;
        FileFailure failure;
    } cases[] = {{"/dev/fd/" + std::to_string(ends[1]), FileFailure::None},
                 {"/dev/null", FileFailure::None},
                 {"/dev/full", FileFailure::DiskFull}};
    for (const auto& c : cases) {
        PosixOutputFile file;
        ASSERT_FALSE(file.Create(c.path)) << c.path;
        for (const char* record : {"title\r\n", "row\r\n"}) EXPECT_EQ(file.Append(record).failure, c.failure) << c.path;
    }
    close(ends[1]);
    char received[32] = {};
    EXPECT_EQ(read(ends[0], received, sizeof received - 1), 12);
    EXPECT_STREQ(received, "title\r\nrow\r\n");
    close(ends[0]);
}
