#include "launcher/SdlDisplaySystem.h"

#include <SDL.h>

#include <cstdio>
#include <cstring>

namespace {

ByteString nameOf(int index) {
    char name[32];
    std::snprintf(name, sizeof name, "DISPLAY%d", index + 1);
    return ByteString(name);
}

// SDL's index of a display named by nameOf, -1 for any other name.
int indexOf(const char* deviceName) {
    int index = -1;
    char tail = 0;
    if (std::sscanf(deviceName, "DISPLAY%d%c", &index, &tail) != 1 || index < 1 ||
        index > SDL_GetNumVideoDisplays())
        return -1;
    return index - 1;
}

MonitorRect rectOf(const SDL_Rect& r) {
    return {r.x, r.y, r.x + r.w, r.y + r.h};
}

} // namespace

void SdlDisplaySystem::gatherMonitors(MonitorMap& monitors) {
    for (int i = 0; i < SDL_GetNumVideoDisplays(); ++i) {
        SDL_Rect bounds, usable;
        if (SDL_GetDisplayBounds(i, &bounds) != 0)
            continue;
        if (SDL_GetDisplayUsableBounds(i, &usable) != 0)
            usable = bounds;
        MonitorInfo info;
        std::memset(&info, 0, sizeof info);
        info.cbSize = sizeof info;
        info.rcMonitor = rectOf(bounds);
        info.rcWork = rectOf(usable);
        // SDL lists the primary display first.
        info.dwFlags = i == 0 ? 1 : 0;
        const ByteString name = nameOf(i);
        std::memcpy(info.szDevice, name.c_str(), std::strlen(name.c_str()) + 1);
        addMonitorRecord(monitors, info);
    }
}

bool SdlDisplaySystem::displayDevice(std::uint32_t index, DisplayDevice& device) {
    if (index >= static_cast<std::uint32_t>(SDL_GetNumVideoDisplays()))
        return false;
    const int display = static_cast<int>(index);
    device.deviceName = nameOf(display);
    const char* description = SDL_GetDisplayName(display);
    device.deviceString = ByteString(description != nullptr ? description : "Display");
    device.stateFlags = displayAttachedToDesktop;
    return true;
}

bool SdlDisplaySystem::displayMode(const char* deviceName, std::uint32_t index, Resolution& mode) {
    const int display = indexOf(deviceName);
    SDL_DisplayMode found;
    if (display < 0 || index > 1000000 ||
        SDL_GetDisplayMode(display, static_cast<int>(index), &found) != 0)
        return false;
    mode = {static_cast<std::uint32_t>(found.w), static_cast<std::uint32_t>(found.h)};
    return true;
}

bool SdlDisplaySystem::currentMode(const char* deviceName, Resolution& mode) {
    const int display = indexOf(deviceName);
    SDL_DisplayMode found;
    if (display < 0 || SDL_GetDesktopDisplayMode(display, &found) != 0)
        return false;
    mode = {static_cast<std::uint32_t>(found.w), static_cast<std::uint32_t>(found.h)};
    return true;
}
