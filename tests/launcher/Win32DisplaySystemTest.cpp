// The product's display seam on the desktop Wine presents.
#include "launcher/Win32DisplaySystem.h"

#include <gtest/gtest.h>

#include <algorithm>

TEST(Win32Displays, MonitorWhoseInformationCannotBeReadIsLeftOut) {
    MonitorMap monitors;
    EXPECT_TRUE(addMonitor(reinterpret_cast<HMONITOR>(0x1234), nullptr, nullptr,
                           reinterpret_cast<LPARAM>(&monitors)));
    EXPECT_TRUE(monitors.empty());
}

TEST(Win32Displays, ListedDisplaysReportModesThatFillTheirMonitors) {
    Win32DisplaySystem system;
    MonitorMap monitors;
    system.gatherMonitors(monitors);
    ASSERT_FALSE(monitors.empty());
    for (const auto& entry : monitors) {
        EXPECT_EQ(entry.second.cbSize, sizeof(MONITORINFOEXA));
        EXPECT_STREQ(entry.second.szDevice, entry.first.c_str());
    }
    const std::vector<DisplayEntry> displays = listDisplays(system, monitors);
    ASSERT_FALSE(displays.empty());
    for (const DisplayEntry& display : displays) {
        SCOPED_TRACE(display.label.c_str());
        const MONITORINFOEXA& monitor = monitors.at(display.deviceName);
        Resolution current = {0, 0};
        ASSERT_TRUE(system.currentMode(display.deviceName.c_str(), current));
        EXPECT_EQ(current.width, std::uint32_t(monitor.rcMonitor.right - monitor.rcMonitor.left));
        EXPECT_EQ(current.height, std::uint32_t(monitor.rcMonitor.bottom - monitor.rcMonitor.top));
        const ResolutionList switched = listResolutions(system, display.deviceName, true, false);
        EXPECT_NE(std::find(switched.entries.begin(), switched.entries.end(), current),
                  switched.entries.end());
        EXPECT_EQ(switched.entries[preferredIndex(switched.entries, switched.preferred)], current);
    }
}
