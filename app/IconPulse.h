// The pulse of the tray icon: a coloured overlay whose opacity rises from 0 to 0.7 in 0.4 s and
// falls back in 0.4 s, a given number of times. Each pulse keeps its own overlay, so a new one
// never cuts an older one short.
#pragma once

#include <QColor>

#include <cstdint>
#include <vector>

namespace linecal {

struct PulseOverlay {
    QColor color;
    double opacity = 0;
};

class IconPulse {
public:
    static constexpr std::int64_t kRiseMs = 400;
    static constexpr std::int64_t kCycleMs = 2 * kRiseMs;
    static constexpr double kPeakOpacity = 0.7;

    // The overlay's opacity `elapsedMs` into a pulse (any cycle of it).
    static double opacityAt(std::int64_t elapsedMs);

    void start(const QColor& color, int count, std::int64_t nowMs);
    // The overlays to draw now, oldest first; pulses that have ended are dropped.
    std::vector<PulseOverlay> overlaysAt(std::int64_t nowMs);
    bool isRunning() const { return !pulses_.empty(); }

private:
    struct Pulse {
        QColor color;
        std::int64_t startMs;
        std::int64_t endMs;
    };
    std::vector<Pulse> pulses_;
};

}  // namespace linecal
