#pragma once

#include <cmath>
#include <cstdint>

namespace music {

constexpr int kSampleRate = 44100;
constexpr int kBeatsPerMinute = 120;
constexpr int kBeatsPerBar = 4;
constexpr int kStepsPerBar = 16; // sixteenth notes
constexpr std::int64_t kSamplesPerBar =
    std::int64_t{kSampleRate} * 60 * kBeatsPerBar / kBeatsPerMinute;

static_assert(kSamplesPerBar == 88200, "the picture changes on every bar");

// Bars are numbered from 1, as musicians count them.
constexpr std::int64_t barStartSample(int bar) {
    return std::int64_t{bar - 1} * kSamplesPerBar;
}

// A sixteenth lasts 5512.5 samples, so positions are rounded once from the
// song start rather than accumulated; bar lines therefore stay exact.
inline std::int64_t stepToSample(double step) {
    return static_cast<std::int64_t>(std::floor(step * kSamplesPerBar / kStepsPerBar + 0.5));
}

// Step index (from song start) of a position written as bar and step-in-bar.
constexpr double barStep(int bar, double stepInBar = 0.0) {
    return (bar - 1) * kStepsPerBar + stepInBar;
}

inline double sampleToBar(std::int64_t sample) {
    return 1.0 + static_cast<double>(sample) / kSamplesPerBar;
}

inline double secondsToSamples(double seconds) {
    return seconds * kSampleRate;
}

} // namespace music
