// The real "Intro" dialog under Wine, driven with the messages a user's actions produce.
#include "DialogDriver.h"
#include "RecordedDisplaySystem.h"
#include "launcher/Launcher.h"
#include "launcher/LauncherResource.h"
#include "launcher/Win32DisplaySystem.h"
#include "support/GlTestContext.h"
#include "support/LogRecorder.h"

#include <GL/glew.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace {

GraphicsLimits recordedLimits() {
    // A driver with coverage sampling: "None", MSAA 2x to 8x, then the four CSAA modes.
    GraphicsLimits limits;
    limits.anisotropicFiltering = true;
    limits.maxAnisotropy = 16;
    limits.maxColourSamples = 8;
    limits.maxDepthSamples = 8;
    limits.maxSamples = 8;
    limits.coverageSampling = true;
    limits.coverageModes = {{8, 4}, {8, 8}, {16, 4}, {16, 8}};
    return limits;
}

RecordedDisplaySystem twoDisplays() {
    RecordedDisplaySystem system;
    system.monitors = {recordedMonitor("\\\\.\\DISPLAY1", 0, 0, 1920, 1080, 1),
                       recordedMonitor("\\\\.\\DISPLAY2", 1920, 0, 3200, 1024)};
    system.devices = {recordedDevice("\\\\.\\DISPLAY1", "Radeon RX 580", 1 | 4),
                      recordedDevice("\\\\.\\DISPLAY2", "Radeon RX 580", 1)};
    system.modes["\\\\.\\DISPLAY1"] = {{640, 480},   {800, 600},   {1024, 768},  {1280, 720},
                                       {1280, 1024}, {1680, 1050}, {1920, 1080}, {1920, 1080}};
    system.current["\\\\.\\DISPLAY1"] = {1920, 1080};
    system.modes["\\\\.\\DISPLAY2"] = {{800, 600}, {1024, 768}, {1280, 1024}};
    system.current["\\\\.\\DISPLAY2"] = {1280, 1024};
    return system;
}

const char* const firstDisplay = "Radeon RX 580 (\\\\.\\DISPLAY1)";
const char* const secondDisplay = "Radeon RX 580 (\\\\.\\DISPLAY2)";

// Distinct values in every field, to show that leaving the dialog writes none of them.
DisplaySettings sentinelSettings() {
    DisplaySettings settings;
    settings.width = 11;
    settings.height = 22;
    settings.fullscreen = true;
    settings.vsync = false;
    settings.gpuScale = true;
    settings.aspect = 3.5f;
    settings.filtering = 33;
    settings.coverageSampling = true;
    settings.antialiasingLevel = 44;
    settings.deviceName = "untouched";
    std::memset(&settings.monitorInfo, 0xAB, sizeof settings.monitorInfo);
    return settings;
}

void expectUntouched(const DisplaySettings& settings) {
    const DisplaySettings sentinel = sentinelSettings();
    EXPECT_EQ(settings.width, sentinel.width);
    EXPECT_EQ(settings.height, sentinel.height);
    EXPECT_EQ(settings.fullscreen, sentinel.fullscreen);
    EXPECT_EQ(settings.vsync, sentinel.vsync);
    EXPECT_EQ(settings.gpuScale, sentinel.gpuScale);
    EXPECT_EQ(settings.aspect, sentinel.aspect);
    EXPECT_EQ(settings.filtering, sentinel.filtering);
    EXPECT_EQ(settings.coverageSampling, sentinel.coverageSampling);
    EXPECT_EQ(settings.antialiasingLevel, sentinel.antialiasingLevel);
    EXPECT_STREQ(settings.deviceName.c_str(), "untouched");
    EXPECT_EQ(std::memcmp(&settings.monitorInfo, &sentinel.monitorInfo, sizeof(MonitorInfo)), 0);
}

std::string sizeText(Resolution r) {
    return std::to_string(r.width) + " x " + std::to_string(r.height);
}

class LauncherDialog : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(gl.create()); }

    // The dialog on the recorded displays and limits, driven by `steps`.
    LauncherResult runRecorded(DisplaySettings& settings, std::vector<DialogDriver::Step> steps) {
        DialogDriver driver(std::move(steps));
        const LauncherResult result =
            Launcher::run(nullptr, settings, LauncherSources{displays, recordedLimits});
        EXPECT_EQ(driver.pendingSteps(), 0u) << "the dialog ended before its last step";
        return result;
    }

    GlTestContext gl;
    RecordedDisplaySystem displays = twoDisplays();
    LogRecorder logger;
};

} // namespace

TEST_F(LauncherDialog, OpensOnTheDesktopsFirstDisplayAndStartsFromIt) {
    // What the desktop and the context report, asked directly.
    Win32DisplaySystem desktop;
    MonitorMap monitors;
    desktop.gatherMonitors(monitors);
    const std::vector<DisplayEntry> listed = listDisplays(desktop, monitors);
    ASSERT_FALSE(listed.empty());
    Resolution current = {0, 0};
    ASSERT_TRUE(desktop.currentMode(listed[0].deviceName.c_str(), current));
    GLint maxAnisotropy = 0, colourSamples = 0, depthSamples = 0;
    glGetIntegerv(GL_MAX_TEXTURE_MAX_ANISOTROPY_EXT, &maxAnisotropy);
    glGetIntegerv(GL_MAX_COLOR_TEXTURE_SAMPLES, &colourSamples);
    glGetIntegerv(GL_MAX_DEPTH_TEXTURE_SAMPLES, &depthSamples);

    std::string lastFiltering, lastMsaa;
    DisplaySettings settings = sentinelSettings();
    DialogDriver driver({[&](HWND dialog) {
        EXPECT_TRUE(isChecked(dialog, IDC_FULLSCREEN));
        EXPECT_TRUE(isChecked(dialog, IDC_VSYNC));
        EXPECT_FALSE(isChecked(dialog, IDC_GPU_SCALE));
        EXPECT_TRUE(isEnabled(dialog, IDC_GPU_SCALE));
        EXPECT_EQ(GetFocus(), GetDlgItem(dialog, IDOK));
        EXPECT_EQ(entries(dialog, IDC_DISPLAY).size(), listed.size());
        EXPECT_EQ(selected(dialog, IDC_DISPLAY), listed[0].label.c_str());
        EXPECT_EQ(selected(dialog, IDC_RESOLUTION), sizeText(current));
        EXPECT_EQ(selected(dialog, IDC_ASPECT), aspectRatios[guessAspect(current)].label);
        EXPECT_EQ(selected(dialog, IDC_FILTERING), "Trilinear");
        EXPECT_EQ(selected(dialog, IDC_ANTIALIASING), "None");

        // The strongest filtering and antialiasing the context offers.
        lastFiltering = entries(dialog, IDC_FILTERING).back();
        lastMsaa = entries(dialog, IDC_ANTIALIASING).back();
        pick(dialog, IDC_FILTERING, lastFiltering);
        pick(dialog, IDC_ANTIALIASING, lastMsaa);
        click(dialog, IDOK);
    }});
    ASSERT_EQ(Launcher::run(nullptr, settings), LauncherResult::Confirmed);
    EXPECT_EQ(driver.pendingSteps(), 0u);

    EXPECT_EQ(settings.width, current.width);
    EXPECT_EQ(settings.height, current.height);
    EXPECT_TRUE(settings.fullscreen);
    EXPECT_TRUE(settings.vsync);
    EXPECT_FALSE(settings.gpuScale);
    EXPECT_STREQ(settings.deviceName.c_str(), listed[0].deviceName.c_str());
    const MonitorInfo& monitor = monitors.at(listed[0].deviceName);
    EXPECT_EQ(std::memcmp(&settings.monitorInfo, &monitor, sizeof monitor), 0);
    EXPECT_STREQ(settings.monitorInfo.szDevice, listed[0].deviceName.c_str());

    // Entry k >= 2 of Filtering is anisotropy 2^(k-1); entry k of Antialiasing is 2^k samples.
    const int degree = 1 << (settings.filtering - 1);
    EXPECT_EQ(lastFiltering, "Anisotropic " + std::to_string(degree) + "x");
    EXPECT_LE(degree, maxAnisotropy);
    EXPECT_GT(2 * degree, maxAnisotropy);
    EXPECT_FALSE(settings.coverageSampling);
    EXPECT_EQ(lastMsaa, "MSAA " + std::to_string(settings.antialiasingLevel) + "x");
    EXPECT_LE(settings.antialiasingLevel, std::min(colourSamples, depthSamples));
    EXPECT_GT(2 * settings.antialiasingLevel, std::min(colourSamples, depthSamples));
}

TEST_F(LauncherDialog, FullscreenAndGpuScaleChooseWhichResolutionsAreOffered) {
    DisplaySettings settings = sentinelSettings();
    const LauncherResult result = runRecorded(
        settings, {[&](HWND dialog) {
            // Full screen, switching the mode: the display's own modes, its current one selected.
            EXPECT_EQ(
                entries(dialog, IDC_RESOLUTION),
                (std::vector<std::string>{"1920 x 1080", "1680 x 1050", "1280 x 1024", "1280 x 720",
                                          "1024 x 768", "800 x 600", "640 x 480"}));
            EXPECT_EQ(selected(dialog, IDC_RESOLUTION), "1920 x 1080");

            // GPU scaling: the standard sizes that fit 1920 x 1080.
            click(dialog, IDC_GPU_SCALE);
            std::vector<std::string> fitting = entries(dialog, IDC_RESOLUTION);
            EXPECT_EQ(fitting.size(), 16u);
            EXPECT_EQ(selected(dialog, IDC_RESOLUTION), "1920 x 1080");

            // Windowed: GPU Scale is disabled but keeps its tick; the 18 standard sizes.
            click(dialog, IDC_FULLSCREEN);
            EXPECT_FALSE(isChecked(dialog, IDC_FULLSCREEN));
            EXPECT_FALSE(isEnabled(dialog, IDC_GPU_SCALE));
            EXPECT_TRUE(isChecked(dialog, IDC_GPU_SCALE));
            EXPECT_EQ(entries(dialog, IDC_RESOLUTION).size(), 18u);
            EXPECT_EQ(selected(dialog, IDC_RESOLUTION), "1280 x 720");
            EXPECT_EQ(selected(dialog, IDC_ASPECT), "16:9");

            // Back to full screen with GPU Scale still ticked.
            click(dialog, IDC_FULLSCREEN);
            EXPECT_TRUE(isEnabled(dialog, IDC_GPU_SCALE));
            EXPECT_EQ(entries(dialog, IDC_RESOLUTION), fitting);
            click(dialog, IDC_GPU_SCALE);
            EXPECT_EQ(entries(dialog, IDC_RESOLUTION).front(), "1920 x 1080");
            EXPECT_EQ(entries(dialog, IDC_RESOLUTION).size(), 7u);
            click(dialog, IDCANCEL);
        }});
    EXPECT_EQ(result, LauncherResult::Left);
}

TEST_F(LauncherDialog, PickingAResolutionGuessesTheAspectAgain) {
    DisplaySettings settings = sentinelSettings();
    runRecorded(settings, {[&](HWND dialog) {
                    EXPECT_EQ(selected(dialog, IDC_ASPECT), "16:9");
                    // An aspect picked by hand changes nothing else...
                    pick(dialog, IDC_ASPECT, "5:4");
                    EXPECT_EQ(selected(dialog, IDC_RESOLUTION), "1920 x 1080");
                    EXPECT_EQ(selected(dialog, IDC_ASPECT), "5:4");
                    // ...until another resolution is picked.
                    pick(dialog, IDC_RESOLUTION, "1680 x 1050");
                    EXPECT_EQ(selected(dialog, IDC_ASPECT), "16:10");
                    pick(dialog, IDC_RESOLUTION, "1280 x 1024");
                    EXPECT_EQ(selected(dialog, IDC_ASPECT), "5:4");
                    pick(dialog, IDC_RESOLUTION, "640 x 480");
                    EXPECT_EQ(selected(dialog, IDC_ASPECT), "4:3");
                    click(dialog, IDCANCEL);
                }});
}

TEST_F(LauncherDialog, PickingAnotherDisplayListsItsModes) {
    DisplaySettings settings = sentinelSettings();
    runRecorded(settings, {[&](HWND dialog) {
                    EXPECT_EQ(entries(dialog, IDC_DISPLAY),
                              (std::vector<std::string>{firstDisplay, secondDisplay}));
                    pick(dialog, IDC_DISPLAY, secondDisplay);
                    EXPECT_EQ(entries(dialog, IDC_RESOLUTION),
                              (std::vector<std::string>{"1280 x 1024", "1024 x 768", "800 x 600"}));
                    EXPECT_EQ(selected(dialog, IDC_RESOLUTION), "1280 x 1024");
                    EXPECT_EQ(selected(dialog, IDC_ASPECT), "5:4");

                    // Windowed, every display offers the same list.
                    click(dialog, IDC_FULLSCREEN);
                    pick(dialog, IDC_RESOLUTION, "800 x 600");
                    pick(dialog, IDC_DISPLAY, firstDisplay);
                    EXPECT_EQ(entries(dialog, IDC_RESOLUTION).size(), 18u);
                    EXPECT_EQ(selected(dialog, IDC_RESOLUTION), "1280 x 720");
                    click(dialog, IDCANCEL);
                }});
}

TEST_F(LauncherDialog, DemoInFullScreenFillsTheSettingsForTheChosenDisplay) {
    DisplaySettings settings = sentinelSettings();
    const LauncherResult result =
        runRecorded(settings, {[&](HWND dialog) {
                        EXPECT_EQ(entries(dialog, IDC_FILTERING),
                                  (std::vector<std::string>{"Bilinear", "Trilinear",
                                                            "Anisotropic 2x", "Anisotropic 4x",
                                                            "Anisotropic 8x", "Anisotropic 16x"}));
                        pick(dialog, IDC_DISPLAY, secondDisplay);
                        pick(dialog, IDC_RESOLUTION, "1024 x 768");
                        pick(dialog, IDC_ASPECT, "16:9");
                        pick(dialog, IDC_FILTERING, "Anisotropic 8x");
                        pick(dialog, IDC_ANTIALIASING, "CSAA 16xQ");
                        click(dialog, IDC_VSYNC);
                        click(dialog, IDOK);
                    }});
    ASSERT_EQ(result, LauncherResult::Confirmed);
    EXPECT_EQ(settings.width, 1024);
    EXPECT_EQ(settings.height, 768);
    EXPECT_EQ(settings.aspect, aspectRatios[1].value);
    EXPECT_TRUE(settings.fullscreen);
    EXPECT_FALSE(settings.vsync);
    EXPECT_FALSE(settings.gpuScale);
    EXPECT_EQ(settings.filtering, 4);
    EXPECT_TRUE(settings.coverageSampling);
    EXPECT_EQ(settings.antialiasingLevel, 3);
    EXPECT_STREQ(settings.deviceName.c_str(), "\\\\.\\DISPLAY2");
    EXPECT_EQ(std::memcmp(&settings.monitorInfo, &displays.monitors[1], sizeof(MonitorInfo)), 0);
}

TEST_F(LauncherDialog, DemoWindowedMapsAntialiasingAndLeavesTheDisplayAlone) {
    struct Case {
        const char* entry;
        bool coverage;
        int level;
    };
    for (const Case& c :
         {Case{"MSAA 4x", false, 4}, Case{"CSAA 8x", true, 0}, Case{"None", false, 0}}) {
        SCOPED_TRACE(c.entry);
        DisplaySettings settings = sentinelSettings();
        settings.deviceName = ByteString();
        const LauncherResult result = runRecorded(settings, {[&](HWND dialog) {
                                                      click(dialog, IDC_GPU_SCALE);
                                                      click(dialog, IDC_FULLSCREEN);
                                                      pick(dialog, IDC_RESOLUTION, "1366 x 768");
                                                      pick(dialog, IDC_FILTERING, "Bilinear");
                                                      pick(dialog, IDC_ANTIALIASING, c.entry);
                                                      // Enter presses the default button, "Demo".
                                                      pressKey(dialog, VK_RETURN);
                                                  }});
        ASSERT_EQ(result, LauncherResult::Confirmed);
        EXPECT_EQ(settings.coverageSampling, c.coverage);
        EXPECT_EQ(settings.antialiasingLevel, c.level);
        EXPECT_EQ(settings.filtering, 0);
        EXPECT_EQ(settings.width, 1366);
        EXPECT_EQ(settings.height, 768);
        EXPECT_EQ(settings.aspect, aspectRatios[1].value);
        EXPECT_FALSE(settings.fullscreen);
        EXPECT_TRUE(settings.gpuScale);
        EXPECT_TRUE(settings.deviceName.empty());
        const DisplaySettings sentinel = sentinelSettings();
        EXPECT_EQ(std::memcmp(&settings.monitorInfo, &sentinel.monitorInfo, sizeof(MonitorInfo)),
                  0);
    }
}

TEST_F(LauncherDialog, DieEscapeAndTheCloseBoxLeaveWithoutTouchingTheSettings) {
    const std::vector<std::pair<const char*, DialogDriver::Step>> ways = {
        {"Die", [](HWND dialog) { click(dialog, IDCANCEL); }},
        {"Escape", [](HWND dialog) { pressKey(dialog, VK_ESCAPE); }},
        {"close box", [](HWND dialog) { PostMessageW(dialog, WM_SYSCOMMAND, SC_CLOSE, 0); }},
    };
    for (const auto& way : ways) {
        SCOPED_TRACE(way.first);
        DisplaySettings settings = sentinelSettings();
        const DialogDriver::Step leave = way.second;
        const LauncherResult result = runRecorded(settings, {[&](HWND dialog) {
                                                      // Choices made before leaving are dropped.
                                                      pick(dialog, IDC_DISPLAY, secondDisplay);
                                                      click(dialog, IDC_VSYNC);
                                                      leave(dialog);
                                                  }});
        EXPECT_EQ(result, LauncherResult::Left);
        expectUntouched(settings);
    }
    EXPECT_TRUE(logger.lines().empty()) << "leaving is the user's choice, not a failure";
}

TEST_F(LauncherDialog, WithoutADisplayOnlyWindowedIsOffered) {
    // Monitors, but the only device is not attached to the desktop.
    displays.devices = {recordedDevice("\\\\.\\DISPLAY1", "Radeon RX 580", 0)};
    DisplaySettings settings = sentinelSettings();
    const LauncherResult result =
        runRecorded(settings, {[&](HWND dialog) {
                        EXPECT_TRUE(entries(dialog, IDC_DISPLAY).empty());
                        EXPECT_FALSE(isEnabled(dialog, IDC_DISPLAY));
                        EXPECT_FALSE(isChecked(dialog, IDC_FULLSCREEN));
                        EXPECT_FALSE(isEnabled(dialog, IDC_FULLSCREEN));
                        EXPECT_FALSE(isEnabled(dialog, IDC_GPU_SCALE));
                        EXPECT_EQ(entries(dialog, IDC_RESOLUTION).size(), 18u);
                        EXPECT_EQ(selected(dialog, IDC_RESOLUTION), "1280 x 720");
                        EXPECT_TRUE(isEnabled(dialog, IDOK));
                        click(dialog, IDOK);
                    }});
    ASSERT_EQ(result, LauncherResult::Confirmed);
    EXPECT_FALSE(settings.fullscreen);
    EXPECT_EQ(settings.width, 1280);
    EXPECT_EQ(settings.height, 720);
    EXPECT_STREQ(settings.deviceName.c_str(), "untouched");
}

TEST_F(LauncherDialog, DemoWaitsForAResolutionToChoose) {
    // The display reports no modes, so switching it offers nothing.
    displays.modes.erase("\\\\.\\DISPLAY1");
    DisplaySettings settings = sentinelSettings();
    const LauncherResult result =
        runRecorded(settings, {[&](HWND dialog) {
                                   EXPECT_TRUE(entries(dialog, IDC_RESOLUTION).empty());
                                   EXPECT_FALSE(isEnabled(dialog, IDOK));
                                   EXPECT_EQ(entries(dialog, IDC_ASPECT).size(), 4u);
                                   EXPECT_EQ(selected(dialog, IDC_ASPECT), "");
                                   // Even sent directly, "Demo" does not end the dialog.
                                   SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
                                                reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDOK)));
                               },
                               [&](HWND dialog) {
                                   // GPU scaling at the display's current mode offers sizes again.
                                   click(dialog, IDC_GPU_SCALE);
                                   EXPECT_TRUE(isEnabled(dialog, IDOK));
                                   EXPECT_EQ(selected(dialog, IDC_RESOLUTION), "1920 x 1080");
                                   EXPECT_EQ(selected(dialog, IDC_ASPECT), "16:9");
                                   click(dialog, IDOK);
                               }});
    ASSERT_EQ(result, LauncherResult::Confirmed);
    EXPECT_TRUE(settings.fullscreen);
    EXPECT_TRUE(settings.gpuScale);
    EXPECT_EQ(settings.width, 1920);
    EXPECT_STREQ(settings.deviceName.c_str(), "\\\\.\\DISPLAY1");
}

// The real desktop of two monitors (1920 x 1080, and 1280 x 1024 right of it); the suite runs
// once more on such a desktop with SHOW_MONITORS=2, and skips this elsewhere.
TEST(TwoMonitors, TheDialogOffersEachDisplayWithItsOwnModesAndStartsOnTheChosenOne) {
    const char* expected = std::getenv("SHOW_MONITORS");
    if (GetSystemMetrics(SM_CMONITORS) != 2) {
        ASSERT_FALSE(expected != nullptr && std::string(expected) == "2")
            << GetSystemMetrics(SM_CMONITORS) << " monitor(s), not 2";
        GTEST_SKIP() << "one monitor";
    }
    GlTestContext gl;
    ASSERT_TRUE(gl.create());

    // Each display's own modes, asked directly: each size once, widest first.
    auto modesOf = [](const char* device) {
        std::vector<std::string> sizes;
        std::vector<std::pair<DWORD, DWORD>> seen;
        DEVMODEA mode = {};
        mode.dmSize = sizeof mode;
        for (DWORD i = 0; EnumDisplaySettingsA(device, i, &mode); ++i)
            seen.emplace_back(mode.dmPelsWidth, mode.dmPelsHeight);
        std::sort(seen.begin(), seen.end(), std::greater<>());
        seen.erase(std::unique(seen.begin(), seen.end()), seen.end());
        for (const auto& size : seen)
            sizes.push_back(std::to_string(size.first) + " x " + std::to_string(size.second));
        return sizes;
    };

    DisplaySettings settings = sentinelSettings();
    std::vector<std::string> displays;
    DialogDriver driver({[&](HWND dialog) {
                             displays = entries(dialog, IDC_DISPLAY);
                             EXPECT_EQ(selected(dialog, IDC_RESOLUTION), "1920 x 1080");
                             EXPECT_EQ(entries(dialog, IDC_RESOLUTION), modesOf("\\\\.\\DISPLAY1"));
                             EXPECT_EQ(selected(dialog, IDC_ASPECT), "16:9");
                             ASSERT_EQ(displays.size(), 2u);
                             pick(dialog, IDC_DISPLAY, displays[1]);
                         },
                         [&](HWND dialog) {
                             EXPECT_EQ(selected(dialog, IDC_RESOLUTION), "1280 x 1024");
                             EXPECT_EQ(entries(dialog, IDC_RESOLUTION), modesOf("\\\\.\\DISPLAY2"));
                             EXPECT_EQ(selected(dialog, IDC_ASPECT), "5:4");
                             pick(dialog, IDC_RESOLUTION, "1024 x 768");
                         },
                         [&](HWND dialog) {
                             EXPECT_EQ(selected(dialog, IDC_ASPECT), "4:3");
                             click(dialog, IDOK);
                         }});
    ASSERT_EQ(Launcher::run(nullptr, settings), LauncherResult::Confirmed);
    EXPECT_EQ(driver.pendingSteps(), 0u);
    EXPECT_EQ(displays, (std::vector<std::string>{"Wine Adapter (\\\\.\\DISPLAY1)",
                                                  "Wine Adapter (\\\\.\\DISPLAY2)"}));
    EXPECT_TRUE(settings.fullscreen);
    EXPECT_EQ(settings.width, 1024);
    EXPECT_EQ(settings.height, 768);
    EXPECT_STREQ(settings.deviceName.c_str(), "\\\\.\\DISPLAY2");
    const RECT& monitor = settings.monitorInfo.rcMonitor;
    EXPECT_EQ(monitor.left, 1920);
    EXPECT_EQ(monitor.top, 0);
    EXPECT_EQ(monitor.right, 3200);
    EXPECT_EQ(monitor.bottom, 1024);
}
