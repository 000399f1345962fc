#include "trend_markers.h"

#include <algorithm>
#include <cstdio>

#include "trend_texts.h"

namespace {

std::optional<float> ValueAt(const TrendHistory& history, const TrendSeries& series, TrendMs time) {
    const std::optional<size_t> poll = history.NearestPoll(series.unit, time);
    if (!poll) return std::nullopt;
    const float value = history.PollValues(series.unit, *poll)[series.channel];
    if (IsGap(value)) return std::nullopt;
    return value;
}

std::string VoltsText(std::optional<float> volts, bool signedText) {
    if (!volts) return TrendText::kNoValue;
    char text[32];
    std::snprintf(text, sizeof text, signedText ? "%+.3fV" : "%.3fV", static_cast<double>(*volts));
    return text;
}

}  // namespace

std::optional<size_t> TrendMarkers::HitTest(TrendMs time, TrendMs tolerance) const {
    std::optional<size_t> hit;
    for (size_t i = 0; i < m_times.size(); ++i) {
        const TrendMs distance = std::llabs(m_times[i] - time);
        if (distance <= tolerance && (!hit || distance < std::llabs(m_times[*hit] - time))) hit = i;
    }
    return hit;
}

void TrendMarkers::Click(const TrendHistory& history, const std::vector<TrendSeries>& drawn, TrendMs time,
                         TrendMs tolerance) {
    if (const std::optional<size_t> hit = HitTest(time, tolerance)) {
        m_times.erase(m_times.begin() + static_cast<std::ptrdiff_t>(*hit));
        return;
    }
    const TrendMs snapped = SnapToPoll(history, drawn, time);
    if (m_times.size() < kMost) {
        m_times.push_back(snapped);
        return;
    }
    const bool firstNearer = std::llabs(m_times[0] - time) <= std::llabs(m_times[1] - time);
    m_times[firstNearer ? 0 : 1] = snapped;
}

TrendMs SnapToPoll(const TrendHistory& history, const std::vector<TrendSeries>& drawn, TrendMs time) {
    std::optional<TrendMs> best;
    for (const TrendSeries& series : drawn) {
        const std::optional<size_t> poll = history.NearestPoll(series.unit, time);
        if (!poll) continue;
        const TrendMs candidate = history.PollTime(series.unit, *poll);
        if (!best || std::llabs(candidate - time) < std::llabs(*best - time)) best = candidate;
    }
    return best.value_or(time);
}

std::string SeriesName(const TrendHistory& history, const TrendSeries& series) {
    return TrendText::kAddress + std::to_string(history.Address(series.unit)) + " " +
           TrendText::kChannelNames[series.channel];
}

std::string MarkerReadout(const TrendHistory& history, const std::vector<TrendSeries>& drawn,
                          const TrendMarkers& markers) {
    std::string text;
    const std::vector<TrendMs>& times = markers.Times();
    for (size_t m = 0; m < times.size(); ++m) {
        text += TrendText::kMarker + std::to_string(m + 1) + " " + MarkerTimeText(times[m]) + "\r\n";
        for (const TrendSeries& series : drawn) {
            text += SeriesName(history, series) + " " + VoltsText(ValueAt(history, series, times[m]), false) + "\r\n";
        }
    }
    if (times.size() < 2) return text;
    text += TrendText::kDifference + DurationText(times[1] - times[0]) + "\r\n";
    for (const TrendSeries& series : drawn) {
        const std::optional<float> a = ValueAt(history, series, times[0]);
        const std::optional<float> b = ValueAt(history, series, times[1]);
        const std::optional<float> change = a && b ? std::optional<float>(*b - *a) : std::nullopt;
        text += SeriesName(history, series) + " " + VoltsText(change, true) + "\r\n";
    }
    return text;
}

std::string NewestReadout(const TrendHistory& history, const std::vector<TrendSeries>& drawn) {
    const std::optional<TrendSpan> span = history.Span();
    if (!span) return {};
    std::string text = TrendText::kNewest + MarkerTimeText(span->end) + "\r\n";
    for (const TrendSeries& series : drawn) {
        const size_t polls = history.PollCount(series.unit);
        const float value = polls == 0 ? 0.0f : history.PollValues(series.unit, polls - 1)[series.channel];
        const std::optional<float> shown = polls == 0 || IsGap(value) ? std::nullopt : std::optional<float>(value);
        text += SeriesName(history, series) + " " + VoltsText(shown, false) + "\r\n";
    }
    return text;
}
