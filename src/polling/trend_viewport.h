#pragma once
// Where the trend looks: a time window that follows the newest poll until
// the operator pans, and a volt range that fits the data unless the
// operator zoomed it.
#include <optional>

#include "trend_scales.h"
#include "trend_time.h"

class TrendViewport {
public:
    static constexpr TrendMs kNarrowestMs = 10 * kSecondMs;
    static constexpr TrendMs kWidestMs = 31 * kDayMs;
    static constexpr TrendMs kFirstWidthMs = 10 * kMinuteMs;

    TrendSpan Span() const { return {m_end - m_width, m_end}; }
    bool Following() const { return m_following; }
    // The volt range the operator chose; none while the view fits the data.
    const std::optional<VoltRange>& Volts() const { return m_volts; }

    // A new poll: a following view moves its right edge to it.
    void NewestIs(TrendMs newest);
    // Back to following, the newest poll at the right edge.
    void ReturnToLive(TrendMs newest);
    // A whole record at once, not following.
    void ShowAll(TrendSpan span);
    // Wider (factor > 1) or narrower, the time `anchor` staying where it is
    // on screen; a following view keeps its right edge.
    void ZoomTime(double factor, TrendMs anchor);
    // Moves the view by `shift` (later when positive) and stops following.
    void Pan(TrendMs shift);
    // Zooms `shown` (the range on screen) around `anchor` volts.
    void ZoomVolts(double factor, double anchor, VoltRange shown);
    void SetVolts(VoltRange volts) { m_volts = volts; }
    void FitVolts() { m_volts.reset(); }

private:
    TrendMs m_end = 0;
    TrendMs m_width = kFirstWidthMs;
    bool m_following = true;
    std::optional<VoltRange> m_volts;
};
