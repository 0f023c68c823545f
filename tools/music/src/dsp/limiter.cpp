#include "dsp/limiter.h"

#include "sequencer/timing.h"

#include <algorithm>
#include <cmath>
#include <deque>

namespace music::dsp {

float softClip(float input, float knee, float ceiling) {
    const float magnitude = std::fabs(input);
    if (magnitude <= knee)
        return input;
    const float room = ceiling - knee;
    const float shaped = knee + room * std::tanh((magnitude - knee) / room);
    return std::copysign(shaped, input);
}

void limitStereo(std::vector<float>& left, std::vector<float>& right,
                 const LimiterSettings& settings) {
    const std::size_t count = std::min(left.size(), right.size());
    const std::size_t window = static_cast<std::size_t>(std::max(settings.lookaheadSamples, 1));

    // Gain each sample needs on its own.
    std::vector<float> needed(count);
    for (std::size_t i = 0; i < count; ++i) {
        const float peak = std::max(std::fabs(left[i]), std::fabs(right[i]));
        needed[i] = peak > settings.ceiling ? settings.ceiling / peak : 1.0f;
    }

    // Minimum over the next `window` samples (monotonic deque), so the gain
    // is already down when a peak arrives.
    std::vector<float> ahead(count);
    std::deque<std::size_t> candidates;
    for (std::size_t i = count; i-- > 0;) {
        while (!candidates.empty() && needed[candidates.back()] >= needed[i])
            candidates.pop_back();
        candidates.push_back(i);
        while (candidates.front() >= i + window)
            candidates.pop_front();
        ahead[i] = needed[candidates.front()];
    }

    // Averaging the look-ahead minimum over the same window turns the gain
    // drop into a ramp that still reaches the needed gain at the peak.
    const float releaseCoefficient =
        static_cast<float>(1.0 - std::exp(-1.0 / (settings.releaseSeconds * kSampleRate)));
    double sum = 0.0;
    float gain = 1.0f;
    for (std::size_t i = 0; i < count; ++i) {
        sum += ahead[i];
        if (i >= window)
            sum -= ahead[i - window];
        const std::size_t filled = std::min(i + 1, window);
        // Samples before the start count as needing no reduction.
        const float ramp = static_cast<float>((sum + static_cast<double>(window - filled)) /
                                              static_cast<double>(window));
        // The ramp never exceeds this sample's need; min() only absorbs rounding.
        const float target = std::min(ramp, needed[i]);
        gain = target < gain ? target : gain + (target - gain) * releaseCoefficient;
        // The clamp only catches float rounding of gain * sample.
        left[i] = std::clamp(left[i] * gain, -settings.ceiling, settings.ceiling);
        right[i] = std::clamp(right[i] * gain, -settings.ceiling, settings.ceiling);
    }
}

} // namespace music::dsp
