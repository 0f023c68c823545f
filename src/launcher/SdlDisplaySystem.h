#pragma once

#include "launcher/DisplayEnumeration.h"

// The displays as SDL reports them, named "DISPLAY1", "DISPLAY2", ... in SDL's order and
// described by SDL's name for them; their modes, and the desktop's mode as the current one.
// Needs SDL's video started.
class SdlDisplaySystem final : public DisplaySystem {
  public:
    void gatherMonitors(MonitorMap& monitors) override;
    bool displayDevice(std::uint32_t index, DisplayDevice& device) override;
    bool displayMode(const char* deviceName, std::uint32_t index, Resolution& mode) override;
    bool currentMode(const char* deviceName, Resolution& mode) override;
};
