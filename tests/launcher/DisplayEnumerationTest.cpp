#include "launcher/DisplayEnumeration.h"
#include "RecordedDisplaySystem.h"
#include "launcher/ShowOptions.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

namespace {

std::vector<std::string> texts(const std::vector<Resolution>& list) {
    std::vector<std::string> result;
    for (const Resolution& r : list)
        result.push_back(std::to_string(r.width) + " x " + std::to_string(r.height));
    return result;
}

const char* aspectOf(std::uint32_t width, std::uint32_t height) {
    return aspectRatios[guessAspect({width, height})].label;
}

// Two adapters' outputs as a desktop reports them, with one display of each kind that must not
// be listed.
RecordedDisplaySystem twoMonitorDesktop() {
    RecordedDisplaySystem system;
    system.monitors = {
        recordedMonitor("\\\\.\\DISPLAY1", 0, 0, 2560, 1440, 1),
        recordedMonitor("\\\\.\\DISPLAY2", 2560, 0, 4480, 1080),
        // Mirrored by a driver that has no desktop device of this name attached.
        recordedMonitor("\\\\.\\DISPLAY5", 0, 0, 800, 600),
    };
    system.devices = {
        recordedDevice("\\\\.\\DISPLAY1", "NVIDIA GeForce GTX 1080", 1 | 4),
        recordedDevice("\\\\.\\DISPLAY2", "NVIDIA GeForce GTX 1080", 1),
        // Attached, but no monitor carries its name.
        recordedDevice("\\\\.\\DISPLAY3", "NVIDIA GeForce GTX 1080", 1),
        recordedDevice("\\\\.\\DISPLAY4", "Intel(R) UHD Graphics 630", 0),
        recordedDevice("\\\\.\\DISPLAY5", "Intel(R) UHD Graphics 630", 8),
    };
    return system;
}

} // namespace

TEST(Monitors, FirstMonitorOfANameKeepsTheEntry) {
    RecordedDisplaySystem system;
    system.monitors = {
        recordedMonitor("\\\\.\\DISPLAY1", 0, 0, 1920, 1080),
        recordedMonitor("\\\\.\\DISPLAY2", 1920, 0, 3200, 1024),
        recordedMonitor("\\\\.\\DISPLAY1", -1280, 0, 0, 1024),
    };
    MonitorMap map;
    system.gatherMonitors(map);
    ASSERT_EQ(map.size(), 2u);
    const MonitorInfo& first = map.at("\\\\.\\DISPLAY1");
    EXPECT_EQ(first.rcMonitor.left, 0);
    EXPECT_EQ(first.rcMonitor.right, 1920);
    EXPECT_EQ(first.rcWork.bottom, 1040);
    EXPECT_EQ(map.at("\\\\.\\DISPLAY2").rcMonitor.left, 1920);
}

TEST(Monitors, NameFillingTheWholeFieldIsReadNoFurther) {
    const std::string name(32, 'M');
    MonitorMap map;
    addMonitorRecord(map, recordedMonitor(name.c_str(), 0, 0, 640, 480));
    ASSERT_EQ(map.size(), 1u);
    EXPECT_EQ(std::string(map.begin()->first.c_str()), name);
}

TEST(Displays, ListsAttachedDevicesThatHaveAMonitorInDeviceOrder) {
    RecordedDisplaySystem system = twoMonitorDesktop();
    MonitorMap monitors;
    system.gatherMonitors(monitors);
    const std::vector<DisplayEntry> displays = listDisplays(system, monitors);
    ASSERT_EQ(displays.size(), 2u);
    EXPECT_STREQ(displays[0].label.c_str(), "NVIDIA GeForce GTX 1080 (\\\\.\\DISPLAY1)");
    EXPECT_STREQ(displays[0].deviceName.c_str(), "\\\\.\\DISPLAY1");
    EXPECT_STREQ(displays[1].deviceName.c_str(), "\\\\.\\DISPLAY2");
    // Every device was asked for, and one call more found the end.
    EXPECT_EQ(system.deviceQueries, 6u);
}

TEST(Displays, MonitorNamesMatchOnlyExactly) {
    RecordedDisplaySystem system;
    system.monitors = {recordedMonitor("\\\\.\\DISPLAY10", 0, 0, 1920, 1080),
                       recordedMonitor("\\\\.\\DISPLAY", 0, 0, 1920, 1080)};
    system.devices = {recordedDevice("\\\\.\\DISPLAY1", "Adapter", 1)};
    MonitorMap monitors;
    system.gatherMonitors(monitors);
    EXPECT_TRUE(listDisplays(system, monitors).empty());
}

TEST(Displays, NoneWithoutMonitors) {
    RecordedDisplaySystem system = twoMonitorDesktop();
    EXPECT_TRUE(listDisplays(system, MonitorMap()).empty());
}

TEST(Resolutions, WindowedOffersTheStandardTableWithoutAskingTheDisplay) {
    RecordedDisplaySystem system = twoMonitorDesktop();
    for (const bool gpuScale : {false, true}) {
        const ResolutionList list = listResolutions(system, "\\\\.\\DISPLAY2", false, gpuScale);
        ASSERT_EQ(list.entries.size(), 18u);
        EXPECT_EQ(texts(list.entries).front(), "1920 x 1200");
        EXPECT_EQ(texts(list.entries)[3], "1600 x 1200");
        EXPECT_EQ(texts(list.entries).back(), "640 x 480");
        EXPECT_EQ(preferredIndex(list.entries, list.preferred), 12u);
        EXPECT_EQ(texts(list.entries)[12], "1280 x 720");
    }
    EXPECT_TRUE(system.queries.empty());
}

TEST(Resolutions, SwitchedModesAreSortedWidestFirstWithEachSizeOnce) {
    RecordedDisplaySystem system;
    system.modes["\\\\.\\DISPLAY1"] = {{800, 600},   {800, 600},  {1024, 768},
                                       {1280, 1024}, {1280, 720}, {800, 600}};
    system.current["\\\\.\\DISPLAY1"] = {1280, 720};
    const ResolutionList list = listResolutions(system, "\\\\.\\DISPLAY1", true, false);
    EXPECT_EQ(texts(list.entries),
              (std::vector<std::string>{"1280 x 1024", "1280 x 720", "1024 x 768", "800 x 600"}));
    EXPECT_EQ(preferredIndex(list.entries, list.preferred), 1u);
    // Modes are read up to the first failing index, then the current mode once.
    EXPECT_EQ(system.queries.size(), 8u);
    EXPECT_EQ(system.queries[6], "mode \\\\.\\DISPLAY1 6");
    EXPECT_EQ(system.queries[7], "current \\\\.\\DISPLAY1");
}

TEST(Resolutions, SwitchedPrefersTheWidestModeWhenTheCurrentOneIsNotListed) {
    RecordedDisplaySystem system;
    system.modes["\\\\.\\DISPLAY2"] = {{1024, 768}, {1920, 1080}, {1600, 900}};
    system.current["\\\\.\\DISPLAY2"] = {1366, 768};
    ResolutionList list = listResolutions(system, "\\\\.\\DISPLAY2", true, false);
    EXPECT_EQ(texts(list.entries).front(), "1920 x 1080");
    EXPECT_EQ(preferredIndex(list.entries, list.preferred), 0u);

    // A current mode that cannot be read is treated like one that is not listed.
    system.current.clear();
    list = listResolutions(system, "\\\\.\\DISPLAY2", true, false);
    EXPECT_EQ(list.entries.size(), 3u);
    EXPECT_EQ(preferredIndex(list.entries, list.preferred), 0u);
}

TEST(Resolutions, DisplayWithoutModesGivesAnEmptyList) {
    RecordedDisplaySystem system;
    system.current["\\\\.\\DISPLAY1"] = {1920, 1080};
    const ResolutionList list = listResolutions(system, "\\\\.\\DISPLAY1", true, false);
    EXPECT_TRUE(list.entries.empty());
    EXPECT_EQ(preferredIndex(list.entries, list.preferred), 0u);
}

TEST(Resolutions, GpuScalingKeepsStandardEntriesThatFitBothWays) {
    RecordedDisplaySystem system;
    system.current["\\\\.\\DISPLAY2"] = {1366, 768};
    ResolutionList list = listResolutions(system, "\\\\.\\DISPLAY2", true, true);
    EXPECT_EQ(texts(list.entries),
              (std::vector<std::string>{"1366 x 768", "1360 x 768", "1280 x 768", "1280 x 720",
                                        "1024 x 768", "1024 x 600", "800 x 600", "800 x 480",
                                        "640 x 480"}));
    EXPECT_EQ(preferredIndex(list.entries, list.preferred), 0u);
    // The display's own modes are not consulted, only its current one.
    EXPECT_EQ(system.queries, (std::vector<std::string>{"current \\\\.\\DISPLAY2"}));

    system.current["\\\\.\\DISPLAY2"] = {1920, 1080};
    list = listResolutions(system, "\\\\.\\DISPLAY2", true, true);
    EXPECT_EQ(list.entries.size(), 16u);
    EXPECT_EQ(texts(list.entries)[0], "1920 x 1080");
    EXPECT_EQ(texts(list.entries)[2], "1440 x 900");
    EXPECT_EQ(preferredIndex(list.entries, list.preferred), 0u);
}

TEST(Resolutions, GpuScalingAboveEveryStandardEntryListsAllAndPrefersTheFirst) {
    RecordedDisplaySystem system;
    system.current["\\\\.\\DISPLAY1"] = {2560, 1440};
    const ResolutionList list = listResolutions(system, "\\\\.\\DISPLAY1", true, true);
    EXPECT_EQ(list.entries.size(), 18u);
    EXPECT_EQ(preferredIndex(list.entries, list.preferred), 0u);
    EXPECT_EQ(texts(list.entries)[0], "1920 x 1200");
}

TEST(Resolutions, GpuScalingBelowTheSmallestEntryOrWithoutACurrentModeListsNothing) {
    RecordedDisplaySystem system;
    system.current["\\\\.\\DISPLAY1"] = {640, 400};
    system.current["\\\\.\\DISPLAY2"] = {600, 800};
    EXPECT_TRUE(listResolutions(system, "\\\\.\\DISPLAY1", true, true).entries.empty());
    EXPECT_TRUE(listResolutions(system, "\\\\.\\DISPLAY2", true, true).entries.empty());
    EXPECT_TRUE(listResolutions(system, "\\\\.\\DISPLAY3", true, true).entries.empty());
}

TEST(Aspect, NearestRatioWins) {
    for (const auto& size : {Resolution{1280, 720}, Resolution{1366, 768}, Resolution{1360, 768},
                             Resolution{1024, 600}, Resolution{2560, 1080}})
        EXPECT_STREQ(aspectOf(size.width, size.height), "16:9") << size.width << "x" << size.height;
    for (const auto& size : {Resolution{1280, 800}, Resolution{1680, 1050}, Resolution{800, 480}})
        EXPECT_STREQ(aspectOf(size.width, size.height), "16:10")
            << size.width << "x" << size.height;
    for (const auto& size : {Resolution{1280, 960}, Resolution{1600, 1200}, Resolution{640, 480}})
        EXPECT_STREQ(aspectOf(size.width, size.height), "4:3") << size.width << "x" << size.height;
    EXPECT_STREQ(aspectOf(1280, 1024), "5:4");
}

TEST(Aspect, ExactTiesGoToTheEarlierEntry) {
    // In single precision 704 / 480 lies exactly between 4:3 and 16:10, and 912 / 540 exactly
    // between 16:9 and 16:10.
    const float ratio = 704.0f / 480.0f;
    ASSERT_EQ(std::fabs(aspectRatios[0].value - ratio), std::fabs(aspectRatios[2].value - ratio));
    EXPECT_STREQ(aspectOf(704, 480), "4:3");
    const float wide = 912.0f / 540.0f;
    ASSERT_EQ(std::fabs(aspectRatios[1].value - wide), std::fabs(aspectRatios[2].value - wide));
    EXPECT_STREQ(aspectOf(912, 540), "16:9");
}

// The dialog's choices as options, on the two-monitor desktop with a GL of anisotropy 16 and
// 8 samples: what each command line runs with, or its one line.
TEST(ShowOptions, TheDialogsEntriesAndDefaults) {
    RecordedDisplaySystem system = twoMonitorDesktop();
    system.current = {{"\\\\.\\DISPLAY1", {2560, 1440}}, {"\\\\.\\DISPLAY2", {1920, 1080}}};
    GraphicsLimits limits;
    limits.anisotropicFiltering = true;
    limits.maxAnisotropy = 16;
    limits.maxColourSamples = limits.maxDepthSamples = limits.maxSamples = 8;
    struct Row {
        std::vector<const char*> arguments;
        const char* expected;
    };
    for (const Row& row : {
             Row{{}, "\\\\.\\DISPLAY1 2560x1440 16:9 filtering 1 aa 0 vsync"},
             Row{{"--display", "2", "--resolution", "1280x1024", "--aspect", "5:4", "--filtering",
                  "Anisotropic 16x", "--antialiasing", "MSAA 4x", "--no-vsync"},
                 "\\\\.\\DISPLAY2 1280x1024 5:4 filtering 5 aa 4"},
             Row{{"--windowed", "--antialiasing", "3", "--filtering", "0"},
                 "window 1280x720 16:9 filtering 0 aa 8 vsync"},
             Row{{"--display", "\\\\.\\DISPLAY2", "--resolution", "1920x1200"},
                 "show: no resolution \"1920x1200\" on that display: it offers 1920x1080, "
                 "1680x1050, 1440x900, 1400x1050, 1366x768, 1360x768, 1280x1024, 1280x960, "
                 "1280x800, "
                 "1280x768, 1280x720, 1024x768, 1024x600, 800x600, 800x480, 640x480"},
             Row{{"--display", "3"}, "show: no display \"3\": this machine has 2 (see --list)"},
             Row{{"--antialiasing", "MSAA 16x"},
                 "show: no antialiasing entry \"MSAA 16x\": this GL offers None, MSAA 2x, MSAA "
                 "4x, MSAA 8x"},
             Row{{"--filtering", "6"},
                 "show: no filtering entry \"6\": this GL offers Bilinear, Trilinear, Anisotropic "
                 "2x, Anisotropic 4x, Anisotropic 8x, Anisotropic 16x"},
             Row{{"--windowed", "--resolution", "1280x72O"},
                 "show: no resolution \"1280x72O\" in a window: it offers 1920x1200, 1920x1080, "
                 "1680x1050, 1600x1200, 1440x900, 1400x1050, 1366x768, 1360x768, 1280x1024, "
                 "1280x960, 1280x800, 1280x768, 1280x720, 1024x768, 1024x600, 800x600, 800x480, "
                 "640x480"},
             Row{{"--aspect", "21:9"}, "show: no aspect \"21:9\": 4:3, 16:9, 16:10 or 5:4"},
             Row{{"--vsync"}, "show: no option \"--vsync\" (see --help)"},
             Row{{"--resolution"}, "show: --resolution needs a value (see --help)"},
         }) {
        std::vector<const char*> argv = {"show"};
        argv.insert(argv.end(), row.arguments.begin(), row.arguments.end());
        const ShowOptions options =
            parseShowOptions(static_cast<int>(argv.size()), argv.data(), &system, &limits);
        std::string got = options.text;
        if (options.action == ShowOptions::Action::Run) {
            DisplaySettings settings{};
            writeSettings(options.choices, settings);
            got = (settings.fullscreen ? std::string(settings.deviceName.c_str()) : "window") +
                  " " + std::to_string(settings.width) + "x" + std::to_string(settings.height) +
                  " " +
                  aspectRatios[guessAspect(
                                   {16000, static_cast<std::uint32_t>(16000 / settings.aspect)})]
                      .label +
                  " filtering " + std::to_string(settings.filtering) + " aa " +
                  std::to_string(settings.antialiasingLevel) + (settings.vsync ? " vsync" : "");
        }
        EXPECT_EQ(got, row.expected) << argv.size();
    }
}
