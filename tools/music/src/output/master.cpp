#include "output/master.h"

#include "dsp/filter.h"
#include "dsp/limiter.h"
#include "dsp/loudness.h"
#include "sequencer/timing.h"

#include <algorithm>
#include <cmath>

namespace music {

namespace {

double dbToGain(double db) {
    return std::pow(10.0, db / 20.0);
}

StereoBuffer process(const StereoBuffer& mix, double gain, float ceiling) {
    StereoBuffer out = mix;
    // The saturator rounds off the kick's peaks so the limiter does less work.
    const float knee = 0.75f * ceiling;
    const float soft = 1.25f * ceiling;
    const auto g = static_cast<float>(gain);
    for (std::size_t i = 0; i < out.left.size(); ++i) {
        out.left[i] = dsp::softClip(out.left[i] * g, knee, soft);
        out.right[i] = dsp::softClip(out.right[i] * g, knee, soft);
    }
    dsp::LimiterSettings limiter;
    limiter.ceiling = ceiling;
    dsp::limitStereo(out.left, out.right, limiter);
    return out;
}

} // namespace

double peakDb(const StereoBuffer& buffer) {
    float peak = 0.0f;
    for (float v : buffer.left)
        peak = std::max(peak, std::fabs(v));
    for (float v : buffer.right)
        peak = std::max(peak, std::fabs(v));
    return 20.0 * std::log10(std::max(peak, 1e-12f));
}

MasterReport master(StereoBuffer& mix, const MasterSettings& settings) {
    dsp::DcBlocker dcLeft(5.0), dcRight(5.0);
    for (std::size_t i = 0; i < mix.left.size(); ++i) {
        mix.left[i] = dcLeft.process(mix.left[i]);
        mix.right[i] = dcRight.process(mix.right[i]);
    }

    const auto fade = static_cast<std::size_t>(settings.tailFadeSeconds * kSampleRate);
    const std::size_t count = mix.left.size();
    for (std::size_t i = 0; i < std::min(fade, count); ++i) {
        const float g = static_cast<float>(i) / static_cast<float>(fade);
        mix.left[count - 1 - i] *= g;
        mix.right[count - 1 - i] *= g;
    }

    const auto ceiling = static_cast<float>(dbToGain(settings.ceilingDb));
    const double measured = dsp::integratedLoudness(mix.left, mix.right, kSampleRate);
    if (!std::isfinite(measured))
        return {0.0, measured, peakDb(mix)}; // silence: nothing to master
    double gainDb = settings.targetLufs - measured;
    StereoBuffer result;
    double loudness = 0.0;
    for (int attempt = 0; attempt < 6; ++attempt) {
        result = process(mix, dbToGain(gainDb), ceiling);
        loudness = dsp::integratedLoudness(result.left, result.right, kSampleRate);
        const double error = settings.targetLufs - loudness;
        if (std::fabs(error) < 0.05)
            break;
        gainDb += error;
    }
    mix = std::move(result);
    return {gainDb, loudness, peakDb(mix)};
}

} // namespace music
