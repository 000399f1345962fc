#include "alarm_entries.h"

#include "alarm_texts.h"

namespace {

std::string Text(const std::optional<Millivolts>& value) { return value ? MillivoltsText(*value) : ""; }

std::string Refusal(const LimitProblem& problem) {
    const std::string field = FieldName(problem.field, problem.channel);
    switch (problem.fault) {
    case LimitFault::LowNotBelowHigh:
        return AlarmText::kChannels[problem.channel] + std::string(AlarmText::kLowNotBelowHigh);
    case LimitFault::HysteresisNotBelowGap:
        return AlarmText::kChannels[problem.channel] + std::string(AlarmText::kHysteresisTooWide);
    case LimitFault::HysteresisNotBelowSpread: return AlarmText::kHysteresisOverSpread;
    default: return field + (problem.field == LimitField::OnDelay ? AlarmText::kOnDelayRange : AlarmText::kVoltsRange);
    }
}

// One text into one field: a syntax error is a range error, as the operator sees it.
bool ReadVolts(const std::string& text, std::optional<Millivolts>& field) {
    const VoltsEntry entry = ParseVoltsEntry(text);
    if (!entry.valid) return false;
    field = entry.millivolts;
    return true;
}

// Polls, as whole digits (spaces around them aside); false for anything else.
bool ReadPolls(const std::string& text, int32_t& polls) {
    const size_t first = text.find_first_not_of(' ');
    const size_t last = text.find_last_not_of(' ');
    if (first == std::string::npos) return false;
    const std::string digits = text.substr(first, last - first + 1);
    if (digits.size() > 6 || digits.find_first_not_of("0123456789") != std::string::npos) return false;
    polls = std::stoi(digits);
    return true;
}

}  // namespace

std::string FieldName(LimitField field, size_t channel) {
    switch (field) {
    case LimitField::Low: return AlarmText::kChannels[channel] + std::string(AlarmText::kLow);
    case LimitField::High: return AlarmText::kChannels[channel] + std::string(AlarmText::kHigh);
    case LimitField::Spread: return AlarmText::kSpread;
    case LimitField::Hysteresis: return AlarmText::kHysteresis;
    default: return AlarmText::kOnDelay;
    }
}

LimitEntries EntriesFromLimits(const AlarmLimits& limits) {
    LimitEntries entries;
    for (size_t channel = 0; channel < kAlarmChannels; ++channel) {
        entries.low[channel] = Text(limits.lowMv[channel]);
        entries.high[channel] = Text(limits.highMv[channel]);
    }
    entries.spread = Text(limits.spreadMv);
    entries.hysteresis = MillivoltsText(limits.hysteresisMv);
    entries.onDelay = std::to_string(limits.onDelayPolls);
    return entries;
}

ReadLimits LimitsFromEntries(const LimitEntries& entries) {
    AlarmLimits limits;
    const auto refuse = [](LimitField field, size_t channel) {
        ReadLimits read;
        read.field = field;
        read.channel = channel;
        read.fault = LimitFault::NotANumber;
        read.refusal = Refusal({field, channel, read.fault});
        return read;
    };
    for (size_t channel = 0; channel < kAlarmChannels; ++channel) {
        if (!ReadVolts(entries.low[channel], limits.lowMv[channel])) return refuse(LimitField::Low, channel);
        if (!ReadVolts(entries.high[channel], limits.highMv[channel])) return refuse(LimitField::High, channel);
    }
    if (!ReadVolts(entries.spread, limits.spreadMv)) return refuse(LimitField::Spread, 0);
    std::optional<Millivolts> hysteresis;
    // The hysteresis and the on-delay cannot be off.
    if (!ReadVolts(entries.hysteresis, hysteresis) || !hysteresis) return refuse(LimitField::Hysteresis, 0);
    limits.hysteresisMv = *hysteresis;
    if (!ReadPolls(entries.onDelay, limits.onDelayPolls)) return refuse(LimitField::OnDelay, 0);

    ReadLimits read;
    if (const std::optional<LimitProblem> problem = CheckLimits(limits)) {
        read.field = problem->field;
        read.channel = problem->channel;
        read.fault = problem->fault;
        read.refusal = Refusal(*problem);
    } else {
        read.limits = limits;
    }
    return read;
}

StoredLimits LimitsFromStored(const LimitEntries& stored) {
    StoredLimits result;
    LimitEntries entries = stored;
    const LimitEntries defaults = EntriesFromLimits(AlarmLimits{});
    // Each round puts one more field back to its default, so the rounds end.
    for (;;) {
        const ReadLimits read = LimitsFromEntries(entries);
        if (read.limits) {
            result.limits = *read.limits;
            return result;
        }
        LimitField field = read.field;
        // A hysteresis that is already the default is not what is wrong: the
        // band it does not fit in is.
        if (field == LimitField::Hysteresis && entries.hysteresis == defaults.hysteresis) {
            field = read.fault == LimitFault::HysteresisNotBelowSpread ? LimitField::Spread : LimitField::High;
        }
        result.ignored.push_back(FieldName(field, read.channel));
        switch (field) {
        case LimitField::Low: entries.low[read.channel] = defaults.low[read.channel]; break;
        case LimitField::High: entries.high[read.channel] = defaults.high[read.channel]; break;
        case LimitField::Spread: entries.spread = defaults.spread; break;
        case LimitField::Hysteresis: entries.hysteresis = defaults.hysteresis; break;
        case LimitField::OnDelay: entries.onDelay = defaults.onDelay; break;
        }
    }
}
