#pragma once
// Reads a records CSV (as the multi-unit window and `lumeric-cli poll --csv`
// write it) back into a trend history: RFC 4180 fields, with or without a
// byte-order mark, CRLF or LF. Title lines and blank lines are passed over;
// a line that is no poll is skipped and counted, never guessed at.
#include <cstddef>
#include <string_view>

#include "trend_history.h"

struct RecordReading {
    size_t polls = 0;             // lines taken into the history
    size_t skipped = 0;           // lines that were no poll
    size_t firstSkippedLine = 0;  // the first of them, counted from 1; 0 when none
};

// Appends every poll of `bytes` to `history`.
RecordReading ReadPollRecord(std::string_view bytes, TrendHistory& history);
