#pragma once

#include "core/String.h"

#include <cstdint>

#ifdef _WIN32
#include <windows.h>
using MonitorInfo = MONITORINFOEXA;
#else
// The Win32 monitor information record, field for field, for builds without the Windows headers.
struct MonitorRect {
    std::int32_t left, top, right, bottom;
};
struct MonitorInfo {
    std::uint32_t cbSize;
    MonitorRect rcMonitor;
    MonitorRect rcWork;
    std::uint32_t dwFlags;
    char szDevice[32];
};
#endif
static_assert(sizeof(MonitorInfo) == 72, "monitor information is passed on as its 72 bytes");

// What the launcher chose. Only deviceName has a value before the launcher fills the record.
struct DisplaySettings {
    std::uint16_t width;
    std::uint16_t height;
    bool fullscreen;
    bool vsync;
    bool gpuScale;
    float aspect;
    // 0 bilinear, 1 trilinear, k >= 2 trilinear with anisotropy 2^(k-1).
    std::int32_t filtering;
    bool coverageSampling;
    // Sample count, or the coverage mode 0..3 when coverageSampling is set.
    std::int32_t antialiasingLevel;
    // GDI device name and monitor record of the chosen display; written for full screen only.
    ByteString deviceName;
    MonitorInfo monitorInfo;
};

// The (coverage, colour) sample counts of the four coverage modes, by antialiasingLevel.
constexpr std::int32_t coverageSampleCounts[4][2] = {{8, 4}, {8, 8}, {16, 4}, {16, 8}};
