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

AntialiasingEntries antialiasingEntries(const GraphicsLimits& limits) {
    AntialiasingEntries result;
    result.labels.emplace_back("None");
    forEachPowerOfTwoUpTo(std::min(limits.maxColourSamples, limits.maxDepthSamples),
                          [&](int samples) {
                              result.labels.emplace_back();
                              assignFormat(result.labels.back(), "MSAA %dx", samples);
                              ++result.msaaEntryCount;
                          });
    if (limits.coverageSampling) {
        result.coverageAvailable = true;
        for (const char* label : {"CSAA 8x", "CSAA 8xQ", "CSAA 16x", "CSAA 16xQ"})
            result.labels.emplace_back(label);
    }
    return result;
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

    // The entry's index encodes the level: "None", then MSAA 2^k, then the coverage modes.
    const std::int32_t k = choices.antialiasingIndex;
    settings.coverageSampling = false;
    if (k <= 0) {
        settings.antialiasingLevel = 0;
    } else if (choices.coverageAvailable && k >= choices.msaaEntryCount) {
        settings.coverageSampling = true;
        settings.antialiasingLevel = k - choices.msaaEntryCount;
    } else {
        settings.antialiasingLevel = std::int32_t(1) << k;
    }
}
