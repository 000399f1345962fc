#include "trend_viewport.h"

#include <algorithm>
#include <cmath>

void TrendViewport::NewestIs(TrendMs newest) {
    if (m_following) m_end = newest;
}

void TrendViewport::ReturnToLive(TrendMs newest) {
    m_following = true;
    m_end = newest;
}

void TrendViewport::ShowAll(TrendSpan span) {
    m_following = false;
    m_width = std::clamp(span.end - span.begin, kNarrowestMs, kWidestMs);
    m_end = span.begin + m_width;
}

void TrendViewport::ZoomTime(double factor, TrendMs anchor) {
    const TrendMs width = std::clamp(static_cast<TrendMs>(std::llround(m_width * factor)), kNarrowestMs, kWidestMs);
    if (!m_following) {
        const double share = static_cast<double>(m_end - anchor) / static_cast<double>(m_width);
        m_end = anchor + static_cast<TrendMs>(std::llround(share * width));
    }
    m_width = width;
}

void TrendViewport::Pan(TrendMs shift) {
    m_following = false;
    m_end += shift;
}

void TrendViewport::ZoomVolts(double factor, double anchor, VoltRange shown) {
    m_volts = VoltRange{anchor - (anchor - shown.low) * factor, anchor + (shown.high - anchor) * factor};
}
