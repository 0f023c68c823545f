#include "launcher/LauncherChoices.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

namespace {

std::vector<std::string> texts(const std::vector<ByteString>& entries) {
    std::vector<std::string> result;
    for (const ByteString& entry : entries)
        result.emplace_back(entry.c_str());
    return result;
}

GraphicsLimits limits(bool anisotropic, int maxAnisotropy, int colour, int depth, bool coverage) {
    GraphicsLimits result;
    result.anisotropicFiltering = anisotropic;
    result.maxAnisotropy = maxAnisotropy;
    result.maxColourSamples = colour;
    result.maxDepthSamples = depth;
    result.maxSamples = INT_MAX;
    result.coverageSampling = coverage;
    result.coverageModes = {{8, 4}, {8, 8}, {16, 4}, {16, 8}};
    return result;
}

// What the dialog had collected: a full-screen choice on a second monitor.
LauncherChoices fullscreenChoices() {
    LauncherChoices choices;
    choices.chosenResolution = {1920, 1080};
    choices.chosenAspect = 16.0f / 9.0f;
    choices.fullscreen = true;
    choices.vsync = true;
    choices.gpuScale = true;
    choices.filteringIndex = 4;
    choices.chosenDisplay = "\\\\.\\DISPLAY2";
    choices.chosenMonitor.cbSize = sizeof(MonitorInfo);
    choices.chosenMonitor.rcMonitor = {2560, 0, 4480, 1080};
    std::strcpy(choices.chosenMonitor.szDevice, "\\\\.\\DISPLAY2");
    return choices;
}

DisplaySettings untouchedSettings() {
    DisplaySettings settings;
    std::memset(&settings.monitorInfo, 0xAB, sizeof settings.monitorInfo);
    return settings;
}

} // namespace

TEST(FilteringEntries, AnisotropicDegreesUpToTheMaximum) {
    EXPECT_EQ(texts(filteringEntries(limits(true, 16, 0, 0, false))),
              (std::vector<std::string>{"Bilinear", "Trilinear", "Anisotropic 2x", "Anisotropic 4x",
                                        "Anisotropic 8x", "Anisotropic 16x"}));
    EXPECT_EQ(filteringEntries(limits(true, 15, 0, 0, false)).size(), 5u);
    const std::vector<std::string> plain{"Bilinear", "Trilinear"};
    EXPECT_EQ(texts(filteringEntries(limits(false, 16, 0, 0, false))), plain);
    EXPECT_EQ(texts(filteringEntries(limits(true, 1, 0, 0, false))), plain);
    EXPECT_EQ(texts(filteringEntries(limits(true, -1, 0, 0, false))), plain);
}

TEST(FilteringEntries, LimitAtTheTopOfTheRangeStopsWithoutOverflow) {
    const std::vector<ByteString> entries = filteringEntries(limits(true, INT_MAX, 0, 0, false));
    ASSERT_EQ(entries.size(), 32u);
    EXPECT_STREQ(entries.back().c_str(), "Anisotropic 1073741824x");
}

TEST(AntialiasingEntries, MsaaUpToTheSmallerSampleLimit) {
    AntialiasingEntries entries = antialiasingEntries(limits(false, 0, 8, 4, false));
    EXPECT_EQ(texts(entries.labels), (std::vector<std::string>{"None", "MSAA 2x", "MSAA 4x"}));

    entries = antialiasingEntries(limits(false, 0, 6, 8, false));
    EXPECT_EQ(texts(entries.labels).back(), "MSAA 4x");

    entries = antialiasingEntries(limits(false, 0, 8, 1, false));
    EXPECT_EQ(texts(entries.labels), std::vector<std::string>{"None"});

    entries = antialiasingEntries(limits(false, 0, INT_MAX, INT_MAX, false));
    EXPECT_EQ(entries.labels.size(), 31u);
}

TEST(AntialiasingEntries, CoverageModesFollowTheMsaaEntries) {
    const AntialiasingEntries entries = antialiasingEntries(limits(false, 0, 8, 8, true));
    EXPECT_EQ(texts(entries.labels),
              (std::vector<std::string>{"None", "MSAA 2x", "MSAA 4x", "MSAA 8x", "CSAA 8x",
                                        "CSAA 8xQ", "CSAA 16x", "CSAA 16xQ"}));
}

// Renderbuffers may allow fewer samples than textures, and each format other counts.
TEST(AntialiasingEntries, OnlyCountsBothFormatsListAndCoverageModesTheDriverLists) {
    struct Case {
        int renderbuffer;
        std::vector<std::int32_t> colourFormat, depthFormat;
        std::vector<std::pair<std::int32_t, std::int32_t>> modes;
        std::vector<std::string> labels;
    };
    for (const Case& c : {
             Case{8, {}, {}, {}, {"None", "MSAA 2x", "MSAA 4x", "MSAA 8x"}},
             Case{16, {16, 8, 4, 2}, {8, 4, 2}, {}, {"None", "MSAA 2x", "MSAA 4x", "MSAA 8x"}},
             Case{8, {8, 4}, {8, 6, 4, 2}, {}, {"None", "MSAA 4x", "MSAA 8x"}},
             Case{4,
                  {},
                  {},
                  {{16, 4}, {8, 4}, {4, 4}},
                  {"None", "MSAA 2x", "MSAA 4x", "CSAA 8x", "CSAA 16x"}},
         }) {
        GraphicsLimits l = limits(false, 0, 16, 16, !c.modes.empty());
        l.maxSamples = c.renderbuffer;
        l.formatSamplesListed = !c.colourFormat.empty();
        l.colourFormatSamples = c.colourFormat;
        l.depthFormatSamples = c.depthFormat;
        l.coverageModes = c.modes;
        EXPECT_EQ(texts(antialiasingEntries(l).labels), c.labels);
    }
}

TEST(AntialiasingEntries, StepDownToTheNextLowerUntilNone) {
    struct Case {
        AntialiasingValue from;
        bool lowered;
        AntialiasingValue to;
    };
    for (const Case& c :
         {Case{{false, 8}, true, {false, 4}}, Case{{false, 6}, true, {false, 4}},
          Case{{false, 2}, true, {false, 0}}, Case{{false, 0}, false, {}},
          Case{{true, 3}, true, {true, 2}}, Case{{true, 0}, true, {false, 4}},
          Case{{true, 4}, false, {}}, Case{{false, INT_MAX}, true, {false, 1 << 30}}}) {
        AntialiasingValue lower{true, 99};
        EXPECT_EQ(lowerAntialiasing(c.from, lower), c.lowered) << antialiasingLabel(c.from).c_str();
        EXPECT_STREQ(antialiasingLabel(c.lowered ? lower : AntialiasingValue{}).c_str(),
                     antialiasingLabel(c.to).c_str());
    }
}

TEST(WriteSettings, AntialiasingIndexBecomesSampleCountOrCoverageMode) {
    struct Case {
        int index;
        bool coverage;
        int level;
    };
    // "None", MSAA 2x, 4x, 8x, then the four coverage modes.
    for (const Case& c :
         {Case{0, false, 0}, Case{1, false, 2}, Case{2, false, 4}, Case{3, false, 8},
          Case{4, true, 0}, Case{5, true, 1}, Case{7, true, 3}}) {
        LauncherChoices choices = fullscreenChoices();
        choices.antialiasingValues = {{false, 0}, {false, 2}, {false, 4}, {false, 8},
                                      {true, 0},  {true, 1},  {true, 2},  {true, 3}};
        choices.antialiasingIndex = c.index;
        DisplaySettings settings = untouchedSettings();
        writeSettings(choices, settings);
        EXPECT_EQ(settings.coverageSampling, c.coverage) << "entry " << c.index;
        EXPECT_EQ(settings.antialiasingLevel, c.level) << "entry " << c.index;
    }
}

TEST(WriteSettings, FullscreenCarriesTheDisplayAndItsMonitor) {
    const LauncherChoices choices = fullscreenChoices();
    DisplaySettings settings = untouchedSettings();
    writeSettings(choices, settings);
    EXPECT_EQ(settings.width, 1920);
    EXPECT_EQ(settings.height, 1080);
    EXPECT_EQ(settings.aspect, 16.0f / 9.0f);
    EXPECT_TRUE(settings.fullscreen);
    EXPECT_TRUE(settings.vsync);
    EXPECT_TRUE(settings.gpuScale);
    EXPECT_EQ(settings.filtering, 4);
    EXPECT_STREQ(settings.deviceName.c_str(), "\\\\.\\DISPLAY2");
    EXPECT_EQ(std::memcmp(&settings.monitorInfo, &choices.chosenMonitor, sizeof(MonitorInfo)), 0);
}

TEST(WriteSettings, WindowedLeavesTheDisplayFieldsAlone) {
    LauncherChoices choices = fullscreenChoices();
    choices.fullscreen = false;
    choices.vsync = false;
    choices.chosenResolution = {800, 600};
    DisplaySettings settings = untouchedSettings();
    const DisplaySettings before = untouchedSettings();
    writeSettings(choices, settings);
    EXPECT_FALSE(settings.fullscreen);
    EXPECT_FALSE(settings.vsync);
    EXPECT_TRUE(settings.gpuScale);
    EXPECT_EQ(settings.width, 800);
    EXPECT_TRUE(settings.deviceName.empty());
    EXPECT_EQ(std::memcmp(&settings.monitorInfo, &before.monitorInfo, sizeof(MonitorInfo)), 0);
}
