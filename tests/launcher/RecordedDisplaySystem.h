#pragma once

// Display-configuration results as a machine reported them, replayed through the launcher's seam.
#include "launcher/DisplayEnumeration.h"

#include <cstring>
#include <map>
#include <string>
#include <vector>

inline MonitorInfo recordedMonitor(const char* deviceName, int left, int top, int right, int bottom,
                                   unsigned flags = 0) {
    MonitorInfo info;
    std::memset(&info, 0, sizeof info);
    info.cbSize = sizeof info;
    info.rcMonitor = {left, top, right, bottom};
    // A taskbar along the bottom, so that the work area differs from the monitor.
    info.rcWork = {left, top, right, bottom - 40};
    info.dwFlags = flags;
    // A name of 32 characters fills szDevice without a terminator.
    const std::size_t length = std::strlen(deviceName);
    std::memcpy(info.szDevice, deviceName,
                length < sizeof info.szDevice ? length : sizeof info.szDevice);
    return info;
}

inline DisplayDevice recordedDevice(const char* deviceName, const char* description,
                                    std::uint32_t stateFlags) {
    DisplayDevice device;
    device.deviceName = deviceName;
    device.deviceString = description;
    device.stateFlags = stateFlags;
    return device;
}

class RecordedDisplaySystem : public DisplaySystem {
  public:
    std::vector<MonitorInfo> monitors;
    std::vector<DisplayDevice> devices;
    // By device name; a display without an entry reports no modes.
    std::map<std::string, std::vector<Resolution>> modes;
    // By device name; a display without an entry fails the query.
    std::map<std::string, Resolution> current;
    // Every query of a display's modes, as "mode NAME INDEX" or "current NAME".
    std::vector<std::string> queries;
    std::uint32_t deviceQueries = 0;

    void gatherMonitors(MonitorMap& map) override {
        for (const MonitorInfo& info : monitors)
            addMonitorRecord(map, info);
    }
    bool displayDevice(std::uint32_t index, DisplayDevice& device) override {
        ++deviceQueries;
        if (index >= devices.size())
            return false;
        device = devices[index];
        return true;
    }
    bool displayMode(const char* deviceName, std::uint32_t index, Resolution& mode) override {
        queries.push_back("mode " + std::string(deviceName) + " " + std::to_string(index));
        const auto found = modes.find(deviceName);
        if (found == modes.end() || index >= found->second.size())
            return false;
        mode = found->second[index];
        return true;
    }
    bool currentMode(const char* deviceName, Resolution& mode) override {
        queries.push_back("current " + std::string(deviceName));
        const auto found = current.find(deviceName);
        if (found == current.end())
            return false;
        mode = found->second;
        return true;
    }
};
