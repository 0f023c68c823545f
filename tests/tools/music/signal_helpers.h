#pragma once

#include <algorithm>
#include <cmath>
#include <vector>

namespace music::testing {

constexpr double kPi = 3.141592653589793;

// Amplitude of the component at `hz` (exact when hz is a whole number of
// cycles over the signal), via the Goertzel recurrence.
inline double amplitudeAt(const std::vector<float>& signal, double hz, int sampleRate) {
    const double w = 2.0 * kPi * hz / sampleRate;
    const double coefficient = 2.0 * std::cos(w);
    double s1 = 0.0, s2 = 0.0;
    for (float x : signal) {
        const double s0 = x + coefficient * s1 - s2;
        s2 = s1;
        s1 = s0;
    }
    const double power = s1 * s1 + s2 * s2 - coefficient * s1 * s2;
    return 2.0 * std::sqrt(std::max(power, 0.0)) / static_cast<double>(signal.size());
}

inline double rms(const std::vector<float>& signal, std::size_t from = 0) {
    double sum = 0.0;
    for (std::size_t i = from; i < signal.size(); ++i)
        sum += static_cast<double>(signal[i]) * signal[i];
    return std::sqrt(sum / static_cast<double>(signal.size() - from));
}

inline double toDb(double ratio) {
    return 20.0 * std::log10(ratio);
}

inline std::vector<float> sine(double hz, double amplitude, int samples, int sampleRate) {
    std::vector<float> out(static_cast<std::size_t>(samples));
    for (int i = 0; i < samples; ++i)
        out[static_cast<std::size_t>(i)] =
            static_cast<float>(amplitude * std::sin(2.0 * kPi * hz * i / sampleRate));
    return out;
}

} // namespace music::testing
