#include "poll_record.h"

#include <cstdio>

#include "poll_texts.h"

namespace {

constexpr char kByteOrderMark[] = "\xEF\xBB\xBF";
constexpr char kLineEnd[] = "\r\n";

const std::vector<std::string> kRecordTitles = {
    "时间", "设备地址", "电池1电压(V)", "电池2电压(V)", "电池3电压(V)", "电池4电压(V)", "结果", "成功次数", "失败次数"};

}  // namespace

std::string IsoLocalTime(const LocalTime& t) {
    char text[40];
    std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d.%03d", t.year, t.month, t.day, t.hour, t.minute,
                  t.second, t.millisecond);
    return text;
}

std::string DatedFileName(const std::string& stem, const LocalTime& t, const std::string& extension) {
    char text[40];
    std::snprintf(text, sizeof text, "_%04d%02d%02d_%02d%02d%02d.", t.year, t.month, t.day, t.hour, t.minute, t.second);
    return stem + text + extension;
}

std::string DatedCsvName(const std::string& stem, const LocalTime& time) { return DatedFileName(stem, time, "csv"); }

std::string VoltageText(float volts) {
    char text[32];
    std::snprintf(text, sizeof text, "%0.3f", static_cast<double>(volts));
    return text;
}

std::string CsvField(const std::string& text) {
    if (text.find_first_of(",\"\r\n") == std::string::npos) return text;
    std::string quoted = "\"";
    for (char c : text) {
        if (c == '"') quoted += '"';
        quoted += c;
    }
    return quoted + '"';
}

std::string CsvLine(const std::vector<std::string>& fields) {
    std::string line;
    for (size_t i = 0; i < fields.size(); ++i) {
        if (i > 0) line += ',';
        line += CsvField(fields[i]);
    }
    return line + kLineEnd;
}

std::string PollRecordHead() { return kByteOrderMark + CsvLine(kRecordTitles); }

std::string PollRecordLine(const PolledUnit& poll) {
    std::vector<std::string> fields = {IsoLocalTime(poll.time), std::to_string(poll.address)};
    for (size_t channel = 0; channel < 4; ++channel) {
        fields.push_back(poll.volts ? VoltageText((*poll.volts)[channel]) : std::string());
    }
    fields.push_back(poll.volts ? PollText::kPollOk : PollText::kCommFault);
    fields.push_back(std::to_string(poll.okCount));
    fields.push_back(std::to_string(poll.failCount));
    return CsvLine(fields);
}

std::string TableCsv(const ShownTable& table) {
    std::string csv = kByteOrderMark + CsvLine(table.titles);
    for (const std::vector<std::string>& row : table.rows) csv += CsvLine(row);
    return csv;
}
