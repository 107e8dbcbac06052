#include "app/IconPulse.h"

#include <algorithm>

namespace linecal {

double IconPulse::opacityAt(std::int64_t elapsedMs) {
    if (elapsedMs < 0) return 0;
    const std::int64_t t = elapsedMs % kCycleMs;
    const std::int64_t rising = t <= kRiseMs ? t : kCycleMs - t;
    return kPeakOpacity * static_cast<double>(rising) / static_cast<double>(kRiseMs);
}

void IconPulse::start(const QColor& color, int count, std::int64_t nowMs) {
    if (count <= 0) return;
    pulses_.push_back({color, nowMs, nowMs + kCycleMs * count});
}

std::vector<PulseOverlay> IconPulse::overlaysAt(std::int64_t nowMs) {
    std::erase_if(pulses_, [nowMs](const Pulse& p) { return nowMs >= p.endMs; });
    std::vector<PulseOverlay> overlays;
    overlays.reserve(pulses_.size());
    for (const Pulse& p : pulses_) overlays.push_back({p.color, opacityAt(nowMs - p.startMs)});
    return overlays;
}

}  // namespace linecal
