#pragma once

#include "core/DisplaySettings.h"
#include "core/String.h"

#include <cstddef>
#include <cstdint>
#include <map>
#include <vector>

// Monitors of the desktop by GDI device name. When two monitors report the same name, the first
// one added keeps the entry.
using MonitorMap = std::map<ByteString, MonitorInfo>;

// One display the user may pick: the text shown and the GDI name used for every later query.
struct DisplayEntry {
    ByteString label;
    ByteString deviceName;
};

struct Resolution {
    std::uint32_t width;
    std::uint32_t height;
};
inline bool operator==(const Resolution& a, const Resolution& b) {
    return a.width == b.width && a.height == b.height;
}
inline bool operator!=(const Resolution& a, const Resolution& b) {
    return !(a == b);
}

// Offered when windowed, and when GPU scaling, as far as they fit the display. Listed in this
// order, which is not sorted by area.
constexpr std::size_t standardResolutionCount = 18;
extern const Resolution standardResolutions[standardResolutionCount];
// Preselected when windowed.
constexpr Resolution windowedResolution = {1280, 720};

struct AspectRatio {
    const char* label;
    float value;
};
constexpr std::size_t aspectRatioCount = 4;
extern const AspectRatio aspectRatios[aspectRatioCount];

// The fields of a DISPLAY_DEVICEA that the listing reads.
struct DisplayDevice {
    ByteString deviceName;
    ByteString deviceString;
    std::uint32_t stateFlags = 0;
};
constexpr std::uint32_t displayAttachedToDesktop = 1;

// The display-configuration calls the enumeration sits on: Win32 in the product, recorded results
// in tests.
class DisplaySystem {
  public:
    virtual ~DisplaySystem() = default;
    // EnumDisplayMonitors over the whole desktop, each monitor through addMonitorRecord.
    virtual void gatherMonitors(MonitorMap& monitors) = 0;
    // EnumDisplayDevicesA(NULL, index, ...): false once index names no device.
    virtual bool displayDevice(std::uint32_t index, DisplayDevice& device) = 0;
    // EnumDisplaySettingsA(deviceName, index, ...): false once no mode remains.
    virtual bool displayMode(const char* deviceName, std::uint32_t index, Resolution& mode) = 0;
    // EnumDisplaySettingsA(deviceName, ENUM_CURRENT_SETTINGS, ...).
    virtual bool currentMode(const char* deviceName, Resolution& mode) = 0;
};

// Files a monitor under the name in its szDevice unless that name is taken.
void addMonitorRecord(MonitorMap& monitors, const MonitorInfo& info);

// Attached display devices that have a monitor of their name, in device order.
std::vector<DisplayEntry> listDisplays(DisplaySystem& system, const MonitorMap& monitors);

struct ResolutionList {
    std::vector<Resolution> entries;
    // Need not be among the entries.
    Resolution preferred;
};

// The resolutions offered for a display: the standard table when windowed; those of them that fit
// the current mode when GPU scaling; the display's own modes, widest first and each size once,
// when switching the mode. A current mode that cannot be read counts as 0 x 0.
ResolutionList listResolutions(DisplaySystem& system, const ByteString& deviceName, bool fullscreen,
                               bool gpuScale);

// Index of the preferred resolution in the list, 0 when it is not listed.
std::size_t preferredIndex(const std::vector<Resolution>& list, Resolution preferred);

// Index into aspectRatios of the ratio nearest to the resolution's; ties go to the earlier entry.
std::size_t guessAspect(Resolution resolution);
