#include "launcher/LauncherChoices.h"

#include "diagnostics/Format.h"

#include <algorithm>

namespace {

// Doubling in 64 bits, so that a limit near the top of the 32-bit range cannot overflow.
template <class Add> void forEachPowerOfTwoUpTo(std::int32_t limit, Add add) {
    for (std::int64_t value = 2; value <= limit; value *= 2)
        add(static_cast<int>(value));
}

} // namespace

std::vector<ByteString> filteringEntries(const GraphicsLimits& limits) {
    std::vector<ByteString> entries;
    entries.emplace_back("Bilinear");
    entries.emplace_back("Trilinear");
    if (limits.anisotropicFiltering) {
        forEachPowerOfTwoUpTo(limits.maxAnisotropy, [&](int degree) {
            entries.emplace_back();
            assignFormat(entries.back(), "Anisotropic %dx", degree);
        });
    }
    return entries;
}

namespace {

const char* const coverageLabels[4] = {"CSAA 8x", "CSAA 8xQ", "CSAA 16x", "CSAA 16xQ"};

bool contains(const std::vector<std::int32_t>& counts, std::int32_t count) {
    return std::find(counts.begin(), counts.end(), count) != counts.end();
}

} // namespace

ByteString antialiasingLabel(const AntialiasingValue& value) {
    if (value.coverageSampling)
        return value.level >= 0 && value.level < 4 ? ByteString(coverageLabels[value.level])
                                                   : formatString("CSAA mode %d", value.level);
    return value.level >= 2 ? formatString("MSAA %dx", value.level) : ByteString("None");
}

AntialiasingEntries antialiasingEntries(const GraphicsLimits& limits) {
    AntialiasingEntries result;
    const auto offer = [&](AntialiasingValue value) {
        result.labels.push_back(antialiasingLabel(value));
        result.values.push_back(value);
    };
    offer({false, 0});
    forEachPowerOfTwoUpTo(
        std::min({limits.maxColourSamples, limits.maxDepthSamples, limits.maxSamples}),
        [&](int samples) {
            if (!limits.formatSamplesListed || (contains(limits.colourFormatSamples, samples) &&
                                                contains(limits.depthFormatSamples, samples)))
                offer({false, samples});
        });
    if (limits.coverageSampling) {
        for (int mode = 0; mode < 4; ++mode) {
            const std::pair<std::int32_t, std::int32_t> pair(coverageSampleCounts[mode][0],
                                                             coverageSampleCounts[mode][1]);
            if (std::find(limits.coverageModes.begin(), limits.coverageModes.end(), pair) !=
                limits.coverageModes.end())
                offer({true, mode});
        }
    }
    return result;
}

bool lowerAntialiasing(const AntialiasingValue& value, AntialiasingValue& lower) {
    if (value.coverageSampling) {
        if (value.level < 0 || value.level > 3)
            return false;
        lower = value.level > 0 ? AntialiasingValue{true, value.level - 1}
                                : AntialiasingValue{false, coverageSampleCounts[0][1]};
        return true;
    }
    if (value.level < 2)
        return false;
    std::int64_t samples = 1;
    while (samples * 2 < value.level)
        samples *= 2;
    lower = {false, samples >= 2 ? static_cast<std::int32_t>(samples) : 0};
    return true;
}

void writeSettings(const LauncherChoices& choices, DisplaySettings& settings) {
    settings.width = static_cast<std::uint16_t>(choices.chosenResolution.width);
    settings.height = static_cast<std::uint16_t>(choices.chosenResolution.height);
    settings.aspect = choices.chosenAspect;
    settings.fullscreen = choices.fullscreen;
    if (choices.fullscreen) {
        settings.deviceName = choices.chosenDisplay;
        settings.monitorInfo = choices.chosenMonitor;
    }
    settings.vsync = choices.vsync;
    settings.gpuScale = choices.gpuScale;
    settings.filtering = choices.filteringIndex;

    const std::int32_t k = choices.antialiasingIndex;
    const AntialiasingValue value =
        k > 0 && static_cast<std::size_t>(k) < choices.antialiasingValues.size()
            ? choices.antialiasingValues[static_cast<std::size_t>(k)]
            : AntialiasingValue{};
    settings.coverageSampling = value.coverageSampling;
    settings.antialiasingLevel = value.level;
}
