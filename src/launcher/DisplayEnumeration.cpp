#include "launcher/DisplayEnumeration.h"

#include "diagnostics/Format.h"

#include <algorithm>
#include <cmath>
#include <cstring>

const Resolution standardResolutions[standardResolutionCount] = {
    {1920, 1200}, {1920, 1080}, {1680, 1050}, {1600, 1200}, {1440, 900}, {1400, 1050},
    {1366, 768},  {1360, 768},  {1280, 1024}, {1280, 960},  {1280, 800}, {1280, 768},
    {1280, 720},  {1024, 768},  {1024, 600},  {800, 600},   {800, 480},  {640, 480},
};

const AspectRatio aspectRatios[aspectRatioCount] = {
    {"4:3", 4.0f / 3.0f},
    {"16:9", 16.0f / 9.0f},
    {"16:10", 1.6f},
    {"5:4", 1.25f},
};

void addMonitorRecord(MonitorMap& monitors, const MonitorInfo& info) {
    // szDevice is terminated by the system; the bound only guards against a record that is not.
    const char* first = info.szDevice;
    const auto* terminator = static_cast<const char*>(std::memchr(first, 0, sizeof info.szDevice));
    const char* last = terminator != nullptr ? terminator : first + sizeof info.szDevice;
    monitors.emplace(ByteString(first, last), info);
}

std::vector<DisplayEntry> listDisplays(DisplaySystem& system, const MonitorMap& monitors) {
    std::vector<DisplayEntry> displays;
    DisplayDevice device;
    for (std::uint32_t index = 0; system.displayDevice(index, device); ++index) {
        if ((device.stateFlags & displayAttachedToDesktop) == 0)
            continue;
        if (monitors.find(device.deviceName) == monitors.end())
            continue;
        DisplayEntry entry;
        assignFormat(entry.label, "%s (%s)", device.deviceString.c_str(),
                     device.deviceName.c_str());
        entry.deviceName = device.deviceName;
        displays.push_back(std::move(entry));
    }
    return displays;
}

namespace {

Resolution currentModeOf(DisplaySystem& system, const ByteString& deviceName) {
    Resolution current = {0, 0};
    if (!system.currentMode(deviceName.c_str(), current))
        current = {0, 0};
    return current;
}

} // namespace

ResolutionList listResolutions(DisplaySystem& system, const ByteString& deviceName, bool fullscreen,
                               bool gpuScale) {
    ResolutionList result;
    if (!fullscreen) {
        result.entries.assign(standardResolutions, standardResolutions + standardResolutionCount);
        result.preferred = windowedResolution;
        return result;
    }
    if (gpuScale) {
        const Resolution current = currentModeOf(system, deviceName);
        for (const Resolution& candidate : standardResolutions) {
            if (candidate.width <= current.width && candidate.height <= current.height)
                result.entries.push_back(candidate);
        }
        result.preferred = current;
        return result;
    }
    Resolution mode;
    for (std::uint32_t index = 0; system.displayMode(deviceName.c_str(), index, mode); ++index)
        result.entries.push_back(mode);
    // The same size comes once per colour depth and refresh rate; the user picks only a size.
    std::sort(result.entries.begin(), result.entries.end(),
              [](const Resolution& a, const Resolution& b) {
                  return a.width != b.width ? a.width > b.width : a.height > b.height;
              });
    result.entries.erase(std::unique(result.entries.begin(), result.entries.end()),
                         result.entries.end());
    result.preferred = currentModeOf(system, deviceName);
    return result;
}

std::size_t preferredIndex(const std::vector<Resolution>& list, Resolution preferred) {
    std::size_t found = 0;
    for (std::size_t i = 0; i < list.size(); ++i) {
        if (list[i] == preferred)
            found = i;
    }
    return found;
}

std::size_t guessAspect(Resolution resolution) {
    if (resolution.height == 0)
        return 0;
    const float ratio =
        static_cast<float>(resolution.width) / static_cast<float>(resolution.height);
    std::size_t best = 0;
    float bestDistance = std::fabs(aspectRatios[0].value - ratio);
    for (std::size_t i = 1; i < aspectRatioCount; ++i) {
        const float distance = std::fabs(aspectRatios[i].value - ratio);
        if (distance < bestDistance) {
            best = i;
            bestDistance = distance;
        }
    }
    return best;
}
