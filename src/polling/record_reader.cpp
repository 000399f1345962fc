#include "record_reader.h"

#include <charconv>
#include <cmath>
#include <string>
#include <vector>

namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
constexpr std::string_view kTitleFirstField = "时间";
// Time, address and the four voltages; the result and the counts after them are not needed.
constexpr size_t kFieldsNeeded = 6;
constexpr size_t kFirstVoltField = 2;

// Splits the text into rows of fields, one row per call.
class CsvRows {
public:
    explicit CsvRows(std::string_view text) : m_text(text) {}

    // The next row into `fields` (only the first `count` are this row's);
    // false at the end. `line` is the row's first line, counted from 1.
    bool Next(std::vector<std::string>& fields, size_t& count, size_t& line) {
        if (m_at >= m_text.size()) return false;
        line = m_line;
        count = 0;
        for (;;) {
            if (count == fields.size()) fields.emplace_back();
            std::string& field = fields[count++];
            field.clear();
            const bool ended = ReadField(field);
            if (ended) return true;
        }
    }

private:
    // Reads one field; true when it ended its row (a line break or the end).
    bool ReadField(std::string& field) {
        bool quoted = false;
        if (m_at < m_text.size() && m_text[m_at] == '"') {
            quoted = true;
            ++m_at;
        }
        while (m_at < m_text.size()) {
            const char c = m_text[m_at++];
            if (quoted) {
                if (c != '"') {
                    if (c == '\n') ++m_line;
                    field += c;
                } else if (m_at < m_text.size() && m_text[m_at] == '"') {
                    field += '"';  // a doubled quote
                    ++m_at;
                } else {
                    quoted = false;
                }
                continue;
            }
            if (c == ',') return false;
            if (c == '\n' || c == '\r') {
                if (c == '\r' && m_at < m_text.size() && m_text[m_at] == '\n') ++m_at;
                ++m_line;
                return true;
            }
            // A run of plain characters in one go: most of a record is plain.
            const size_t start = m_at - 1;
            while (m_at < m_text.size() && m_text[m_at] != ',' && m_text[m_at] != '\n' && m_text[m_at] != '\r' &&
                   m_text[m_at] != '"') {
                ++m_at;
            }
            field.append(m_text.data() + start, m_at - start);
        }
        return true;
    }

    std::string_view m_text;
    size_t m_at = 0;
    size_t m_line = 1;
};

template <typename Number>
bool WholeNumber(const std::string& text, Number& value) {
    if (text.empty()) return false;
    const char* end = text.data() + text.size();
    const std::from_chars_result result = std::from_chars(text.data(), end, value);
    return result.ec == std::errc() && result.ptr == end;
}

// A poll's four values, or none for a failed poll (all four empty); false when neither.
bool ReadVolts(const std::vector<std::string>& fields, std::optional<FourValues>& volts) {
    size_t empty = 0;
    FourValues values{};
    for (size_t c = 0; c < kTrendChannels; ++c) {
        const std::string& field = fields[kFirstVoltField + c];
        if (field.empty()) {
            ++empty;
        } else if (!WholeNumber(field, values[c]) || !std::isfinite(values[c])) {
            return false;
        }
    }
    if (empty == kTrendChannels) {
        volts.reset();
        return true;
    }
    volts = values;
    return empty == 0;
}

}  // namespace

RecordReading ReadPollRecord(std::string_view bytes, TrendHistory& history) {
    if (bytes.substr(0, kByteOrderMark.size()) == kByteOrderMark) bytes.remove_prefix(kByteOrderMark.size());
    RecordReading reading;
    CsvRows rows(bytes);
    std::vector<std::string> fields;
    size_t count = 0;
    size_t line = 0;
    std::optional<FourValues> volts;
    while (rows.Next(fields, count, line)) {
        if (count == 1 && fields[0].empty()) continue;  // a blank line
        if (fields[0] == kTitleFirstField) continue;    // a title line, also between appended runs
        const std::optional<TrendMs> time = count >= kFieldsNeeded ? ParseIsoLocalTime(fields[0]) : std::nullopt;
        int64_t address = 0;
        if (!time || !WholeNumber(fields[1], address) || !ReadVolts(fields, volts)) {
            if (reading.skipped++ == 0) reading.firstSkippedLine = line;
            continue;
        }
        history.Append(address, *time, volts);
        ++reading.polls;
    }
    return reading;
}
