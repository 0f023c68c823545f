#pragma once

#include "launcher/DisplayEnumeration.h"

#include <windows.h>

// The desktop's own monitors, display devices and modes.
class Win32DisplaySystem : public DisplaySystem {
  public:
    void gatherMonitors(MonitorMap& monitors) override;
    bool displayDevice(std::uint32_t index, DisplayDevice& device) override;
    bool displayMode(const char* deviceName, std::uint32_t index, Resolution& mode) override;
    bool currentMode(const char* deviceName, Resolution& mode) override;
};

// EnumDisplayMonitors callback; data is the MonitorMap. A monitor whose information cannot be read
// is left out. Always goes on with the enumeration.
BOOL CALLBACK addMonitor(HMONITOR monitor, HDC dc, LPRECT rect, LPARAM data);
