#pragma once

#include "core/DisplaySettings.h"
#include "core/String.h"
#include "launcher/DisplayEnumeration.h"

#include <cstdint>
#include <utility>
#include <vector>

// What the current OpenGL context offers for filtering and antialiasing.
struct GraphicsLimits {
    bool anisotropicFiltering = false;
    std::int32_t maxAnisotropy = 0;
    // Multisampled texture limits.
    std::int32_t maxColourSamples = 0;
    std::int32_t maxDepthSamples = 0;
    // The render targets are renderbuffers: GL_MAX_SAMPLES bounds them, and drivers may allow
    // fewer, or other, counts per format. Where the GL lists the counts of the colour and the
    // depth-stencil format, only a count both list is allocated exactly by both.
    std::int32_t maxSamples = 0;
    bool formatSamplesListed = false;
    std::vector<std::int32_t> colourFormatSamples;
    std::vector<std::int32_t> depthFormatSamples;
    // Both NV coverage-sampling extensions, with the entry point, and the (coverage, colour)
    // sample pairs the driver lists.
    bool coverageSampling = false;
    std::vector<std::pair<std::int32_t, std::int32_t>> coverageModes;
};

// Needs a current context with GLEW initialised.
GraphicsLimits queryGraphicsLimits();

// "Bilinear", "Trilinear", then "Anisotropic %dx" for 2, 4, 8, ... up to the maximum. The index of
// an entry is the `filtering` value it stands for.
std::vector<ByteString> filteringEntries(const GraphicsLimits& limits);

// What one antialiasing entry writes into the settings.
struct AntialiasingValue {
    bool coverageSampling = false;
    // Sample count, or the coverage mode 0..3.
    std::int32_t level = 0;
};

struct AntialiasingEntries {
    // "None", "MSAA %dx" for 2, 4, 8, ... that every limit allows, then those of the four
    // coverage modes that the driver lists.
    std::vector<ByteString> labels;
    // One per label.
    std::vector<AntialiasingValue> values;
};
AntialiasingEntries antialiasingEntries(const GraphicsLimits& limits);

// "None", "MSAA 4x", "CSAA 16xQ": the entry's label for a value.
ByteString antialiasingLabel(const AntialiasingValue& value);

// The next lower antialiasing, for a render target that a driver did not complete at `value`:
// a coverage mode steps to the mode below it and CSAA 8x to MSAA 4x, a sample count to the next
// lower power of two and then to none. False below none, and for a mode no entry stands for.
bool lowerAntialiasing(const AntialiasingValue& value, AntialiasingValue& lower);

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
    // What each antialiasing entry stands for, as offered.
    std::vector<AntialiasingValue> antialiasingValues;
};

// Writes the choices into the settings; the display's name and monitor only for full screen.
void writeSettings(const LauncherChoices& choices, DisplaySettings& settings);
