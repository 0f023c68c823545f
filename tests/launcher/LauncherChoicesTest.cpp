#include "launcher/LauncherChoices.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <string>
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
    result.coverageSampling = coverage;
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
    EXPECT_EQ(entries.msaaEntryCount, 3);
    EXPECT_FALSE(entries.coverageAvailable);

    entries = antialiasingEntries(limits(false, 0, 6, 8, false));
    EXPECT_EQ(texts(entries.labels).back(), "MSAA 4x");
    EXPECT_EQ(entries.msaaEntryCount, 3);

    entries = antialiasingEntries(limits(false, 0, 8, 1, false));
    EXPECT_EQ(texts(entries.labels), std::vector<std::string>{"None"});
    EXPECT_EQ(entries.msaaEntryCount, 1);

    entries = antialiasingEntries(limits(false, 0, INT_MAX, INT_MAX, false));
    EXPECT_EQ(entries.msaaEntryCount, 31);
}

TEST(AntialiasingEntries, CoverageModesFollowTheMsaaEntries) {
    const AntialiasingEntries entries = antialiasingEntries(limits(false, 0, 8, 8, true));
    EXPECT_EQ(texts(entries.labels),
              (std::vector<std::string>{"None", "MSAA 2x", "MSAA 4x", "MSAA 8x", "CSAA 8x",
                                        "CSAA 8xQ", "CSAA 16x", "CSAA 16xQ"}));
    EXPECT_EQ(entries.msaaEntryCount, 4);
    EXPECT_TRUE(entries.coverageAvailable);
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
        choices.msaaEntryCount = 4;
        choices.coverageAvailable = true;
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
