#pragma once
// The multi-unit records and the table export as CSV files: RFC 4180 fields,
// UTF-8 behind a byte-order mark (so that Excel shows the Chinese titles),
// CRLF line ends, a title line first. Plain values in, bytes out: no window
// and no file here, so that any program writing such a record calls these.
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// A moment of the local clock, to the millisecond.
struct LocalTime {
    int year = 0;
    int month = 0;
    int day = 0;
    int hour = 0;
    int minute = 0;
    int second = 0;
    int millisecond = 0;
};

// "2024-03-05T08:09:10.123": ISO 8601, local time.
std::string IsoLocalTime(const LocalTime& time);
// `stem` followed by "_YYYYMMDD_HHMMSS." and `extension`.
std::string DatedFileName(const std::string& stem, const LocalTime& time, const std::string& extension);
// `stem` followed by "_YYYYMMDD_HHMMSS.csv".
std::string DatedCsvName(const std::string& stem, const LocalTime& time);

// A volt value as the table shows it: three decimals.
std::string VoltageText(float volts);

// One field as RFC 4180 wants it: quoted, its quotes doubled, when it holds a
// comma, a quote or a line break; otherwise as it is.
std::string CsvField(const std::string& text);
// The fields separated by commas, ending in CRLF.
std::string CsvLine(const std::vector<std::string>& fields);

// One poll of one unit, as recorded.
struct PolledUnit {
    LocalTime time;  // when the poll ended
    int64_t address = 0;
    // The four voltages (电池1 to 电池4) in volts; none when the poll failed.
    std::optional<std::array<float, 4>> volts;
    // The unit's successful and failed polls so far, this one included: 64
    // bits, as a gateway polling for years passes 2^31 polls of one unit.
    int64_t okCount = 0;
    int64_t failCount = 0;
};

// Why a poll failed, for a taker that tells the two apart.
enum class PollFailure { None, Timeout, CrcError };

// The start of a record file: the byte-order mark and the title line.
std::string PollRecordHead();
// The record's line of one poll: time, address, the four voltages (empty
// when it failed), "正常" or "通讯故障", the two counts.
std::string PollRecordLine(const PolledUnit& poll);

// A table as shown: its column titles and every row's cell texts.
struct ShownTable {
    std::vector<std::string> titles;
    std::vector<std::vector<std::string>> rows;
};
// The whole export file: byte-order mark, title line, one line per row.
std::string TableCsv(const ShownTable& table);
