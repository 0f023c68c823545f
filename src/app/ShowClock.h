#pragma once

#include <cstdint>

// Seconds since the frame loop began, accumulated frame by frame from a high-resolution counter.
// Each frame adds its own tick difference over the frequency read that frame; differences are
// taken in integers so that large counter values lose no precision.
class ShowClock {
  public:
    void start(std::int64_t counter) {
        previous = counter;
        accumulated = 0.0;
    }
    double advance(std::int64_t counter, std::int64_t frequency) {
        const std::int64_t elapsed = counter - previous;
        accumulated += static_cast<double>(elapsed) / static_cast<double>(frequency);
        previous = counter;
        return accumulated;
    }
    double seconds() const { return accumulated; }

  private:
    std::int64_t previous = 0;
    double accumulated = 0.0;
};
