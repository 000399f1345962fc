#pragma once
// The alarm limits as texts: what the settings dialog's fields hold and what
// is kept between runs. Reading them checks every rule and names the field
// that breaks one, in the window's words.
#include <array>
#include <optional>
#include <string>
#include <vector>

#include "alarm_limits.h"

struct LimitEntries {
    std::array<std::string, kAlarmChannels> low;
    std::array<std::string, kAlarmChannels> high;
    std::string spread;
    std::string hysteresis;
    std::string onDelay;
};

LimitEntries EntriesFromLimits(const AlarmLimits& limits);

struct ReadLimits {
    std::optional<AlarmLimits> limits;  // none when refused
    std::string refusal;                // the message box's text then
    LimitField field = LimitField::Low;
    size_t channel = 0;
    LimitFault fault = LimitFault::NotANumber;
};
ReadLimits LimitsFromEntries(const LimitEntries& entries);

// Limits kept between runs, as far as they hold: each field that breaks a
// rule falls back to its default, and is named in `ignored`.
struct StoredLimits {
    AlarmLimits limits;
    std::vector<std::string> ignored;
};
StoredLimits LimitsFromStored(const LimitEntries& stored);

// "电池1下限", "回差"...
std::string FieldName(LimitField field, size_t channel);
