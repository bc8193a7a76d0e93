// Picture pacing of decoder types 1 and 2: a frame interval that adapts,
// one millisecond per second, towards a target rate. Pure: the caller
// supplies the clock and does the sleeping.
#pragma once
#include <cstdint>

namespace orvik {

struct FramePacer {
    int targetRate = 26;     // pictures per second
    int interval = 38;       // ms between pictures
    uint32_t lastTick = 0;
    uint32_t accumulated = 0;  // ms in the current second
    int pictures = 0;          // pictures in the current second
    bool started = false;

    // How long to sleep before the next picture, given the clock now.
    int SleepBefore(uint32_t now) const {
        if (!started) return 0;
        uint32_t elapsed = now - lastTick;
        return elapsed < uint32_t(interval) ? int(uint32_t(interval) - elapsed) : 0;
    }
    // Counts a picture shown at now and adapts the interval once a second
    // has passed. The first picture only starts the clock.
    void Account(uint32_t now) {
        uint32_t d = started ? now - lastTick : 0;
        started = true;
        accumulated += d;
        lastTick = now;
        ++pictures;
        if (accumulated > 1000) {
            if (pictures < targetRate && interval > 0)
                --interval;
            else if (pictures > targetRate)
                ++interval;
            pictures = 0;
            accumulated = 0;
        }
    }
};

}  // namespace orvik
