#include <gtest/gtest.h>

#include "poll_record.h"
#include "record_reader.h"

namespace {

PolledUnit Poll(int second, int64_t address, std::optional<std::array<float, 4>> volts) {
    PolledUnit poll;
    poll.time = {2024, 3, 5, 23, 59, second, 120};
    poll.address = address;
    poll.volts = volts;
    return poll;
}

}  // namespace

TEST(RecordReaderTest, ReadsTheRecordsOwnOutputWithFailedPollsAsGaps) {
    const std::string bytes = PollRecordHead() + PollRecordLine(Poll(1, 1, {{3.456f, 0, 1, 65.535f}})) +
                              PollRecordLine(Poll(2, 2, std::nullopt)) +
                              PollRecordLine(Poll(3, 1, {{3.457f, 0, 1, 65.535f}}));
    TrendHistory history;
    const RecordReading reading = ReadPollRecord(bytes, history);
    EXPECT_EQ(3u, reading.polls);
    EXPECT_EQ(0u, reading.skipped);
    ASSERT_EQ(2u, history.UnitCount());
    EXPECT_EQ(2, history.Address(1));
    EXPECT_EQ(2u, history.PollCount(0));
    EXPECT_EQ((FourValues{3.457f, 0, 1, 65.535f}), history.PollValues(0, 1));
    EXPECT_TRUE(IsGap(history.PollValues(1, 0)[0]));
    EXPECT_EQ("2024-03-05T23:59:03.120", IsoLocalTime(ToLocalTime(history.PollTime(0, 1))));
}

TEST(RecordReaderTest, QuotesLineEndsAndTitlesAreReadAndBadLinesAreSkippedCountedAndPlaced) {
    const std::string bytes =
        "时间,设备地址,a,b,c,d\n"                                             // 1: no BOM, LF
        "2024-03-05T10:00:00.000,\"1\",1,2,3,\"4\",\"正常, \"\"ok\"\"\"\r\n"  // 2: quoted fields
        "2024-03-05T10:00:01.000,1,1,2,3\r\n"                                 // 3: too few fields
        "\r\n"                                                                // 4: blank
        "2024-03-05T10:00:02.000,1,1,,3,4,x\r\n"                              // 5: one value missing
        "2024-03-05T10:00:03.000,1,1,2,3,nan\r\n"                             // 6: no number
        "\"2024-03-05T10:00:04.000\",1,,,,,\"multi\nline\"\r\n"               // 7-8: a failed poll, a quoted line break
        "not a time,1,1,2,3,4\r\n"                                            // 9
        "2024-03-05T10:00:05.000,1x,1,2,3,4\r\n"                              // 10
        "时间,设备地址,电池1电压(V),电池2电压(V),电池3电压(V),电池4电压(V)\r\n"  // 11: an appended run's title
        "2024-03-05T10:00:06.000,1,5,6,7,8";                                     // 12: no line end
    TrendHistory history;
    const RecordReading reading = ReadPollRecord(bytes, history);
    EXPECT_EQ(3u, reading.polls);
    EXPECT_EQ(5u, reading.skipped);
    EXPECT_EQ(3u, reading.firstSkippedLine);
    ASSERT_EQ(3u, history.PollCount(0));
    EXPECT_EQ((FourValues{1, 2, 3, 4}), history.PollValues(0, 0));
    EXPECT_TRUE(IsGap(history.PollValues(0, 1)[2]));
    EXPECT_EQ((FourValues{5, 6, 7, 8}), history.PollValues(0, 2));
}
