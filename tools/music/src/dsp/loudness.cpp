#include "dsp/loudness.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace music::dsp {

namespace {

constexpr double kPi = 3.141592653589793;

struct Biquad {
    double b0, b1, b2, a1, a2;
    double z1 = 0.0, z2 = 0.0;

    double process(double x) {
        const double y = b0 * x + z1;
        z1 = b1 * x - a1 * y + z2;
        z2 = b2 * x - a2 * y;
        return y;
    }
};

// The two K-weighting stages, derived for any sample rate from their analog
// prototypes (a +4 dB shelf above ~1.7 kHz and a ~38 Hz high-pass).
Biquad highShelf(int sampleRate) {
    const double f0 = 1681.974450955533;
    const double gainDb = 3.999843853973347;
    const double q = 0.7071752369554196;
    const double k = std::tan(kPi * f0 / sampleRate);
    const double vh = std::pow(10.0, gainDb / 20.0);
    const double vb = std::pow(vh, 0.4996667741545416);
    const double a0 = 1.0 + k / q + k * k;
    return {(vh + vb * k / q + k * k) / a0, 2.0 * (k * k - vh) / a0, (vh - vb * k / q + k * k) / a0,
            2.0 * (k * k - 1.0) / a0, (1.0 - k / q + k * k) / a0};
}

Biquad highPass(int sampleRate) {
    const double f0 = 38.13547087602444;
    const double q = 0.5003270373238773;
    const double k = std::tan(kPi * f0 / sampleRate);
    const double a0 = 1.0 + k / q + k * k;
    return {1.0, -2.0, 1.0, 2.0 * (k * k - 1.0) / a0, (1.0 - k / q + k * k) / a0};
}

double blockLoudness(double meanSquare) {
    return -0.691 + 10.0 * std::log10(meanSquare);
}

} // namespace

double integratedLoudness(const std::vector<float>& left, const std::vector<float>& right,
                          int sampleRate) {
    const std::size_t count = std::min(left.size(), right.size());
    const std::size_t step = static_cast<std::size_t>(sampleRate / 10);
    const std::size_t block = 4 * step;

    // Sum of K-weighted squares of both channels per 100 ms step.
    std::vector<double> stepEnergy(count / step, 0.0);
    Biquad shelfLeft = highShelf(sampleRate), passLeft = highPass(sampleRate);
    Biquad shelfRight = shelfLeft, passRight = passLeft;
    for (std::size_t i = 0; i < stepEnergy.size() * step; ++i) {
        const double l = passLeft.process(shelfLeft.process(left[i]));
        const double r = passRight.process(shelfRight.process(right[i]));
        stepEnergy[i / step] += l * l + r * r;
    }

    std::vector<double> blocks;
    for (std::size_t s = 0; s + 4 <= stepEnergy.size(); ++s) {
        const double energy =
            stepEnergy[s] + stepEnergy[s + 1] + stepEnergy[s + 2] + stepEnergy[s + 3];
        blocks.push_back(energy / static_cast<double>(block));
    }

    const auto gatedMean = [&blocks](double thresholdLufs) {
        double sum = 0.0;
        std::size_t used = 0;
        for (double meanSquare : blocks) {
            if (meanSquare > 0.0 && blockLoudness(meanSquare) > thresholdLufs) {
                sum += meanSquare;
                ++used;
            }
        }
        return used ? sum / static_cast<double>(used) : 0.0;
    };

    const double absoluteGated = gatedMean(-70.0);
    if (absoluteGated <= 0.0)
        return -std::numeric_limits<double>::infinity();
    const double relativeGated = gatedMean(blockLoudness(absoluteGated) - 10.0);
    return blockLoudness(relativeGated);
}

} // namespace music::dsp
