#pragma once

#include "core/DisplaySettings.h"
#include "core/String.h"
#include "launcher/DisplayEnumeration.h"

#include <cstdint>
#include <vector>

// What the current OpenGL context offers for filtering and antialiasing.
struct GraphicsLimits {
    bool anisotropicFiltering = false;
    std::int32_t maxAnisotropy = 0;
    std::int32_t maxColourSamples = 0;
    std::int32_t maxDepthSamples = 0;
    // Both NV coverage-sampling extensions, with the entry point.
    bool coverageSampling = false;
};

// Needs a current context with GLEW initialised.
GraphicsLimits queryGraphicsLimits();

// "Bilinear", "Trilinear", then "Anisotropic %dx" for 2, 4, 8, ... up to the maximum. The index of
// an entry is the `filtering` value it stands for.
std::vector<ByteString> filteringEntries(const GraphicsLimits& limits);

struct AntialiasingEntries {
    // "None", "MSAA %dx" for 2, 4, 8, ... up to the smaller sample limit, then the four coverage
    // modes when offered.
    std::vector<ByteString> labels;
    // "None" plus the MSAA entries: the index of the first coverage entry.
    std::int32_t msaaEntryCount = 1;
    bool coverageAvailable = false;
};
AntialiasingEntries antialiasingEntries(const GraphicsLimits& limits);

// What the user chose when pressing "Demo", taken from the dialog before it closes.
struct LauncherChoices {
    std::int32_t antialiasingIndex = 0;
    std::int32_t filteringIndex = 1;
    // Full screen only.
    ByteString chosenDisplay;
    MonitorInfo chosenMonitor = {};
    Resolution chosenResolution = {0, 0};
    float chosenAspect = 0.0f;
    bool fullscreen = false;
    bool vsync = false;
    bool gpuScale = false;
    bool coverageAvailable = false;
    std::int32_t msaaEntryCount = 1;
};

// Writes the choices into the settings; the display's name and monitor only for full screen.
void writeSettings(const LauncherChoices& choices, DisplaySettings& settings);
