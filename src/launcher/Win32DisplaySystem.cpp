#include "launcher/Win32DisplaySystem.h"

#include <cstring>

namespace {

ByteString boundedText(const char* text, std::size_t size) {
    const auto* terminator = static_cast<const char*>(std::memchr(text, 0, size));
    return ByteString(text, terminator != nullptr ? terminator : text + size);
}

bool readMode(const char* deviceName, DWORD index, Resolution& mode) {
    DEVMODEA record = {};
    record.dmSize = sizeof record;
    record.dmDriverExtra = 0;
    if (!EnumDisplaySettingsA(deviceName, index, &record))
        return false;
    mode = {record.dmPelsWidth, record.dmPelsHeight};
    return true;
}

} // namespace

BOOL CALLBACK addMonitor(HMONITOR monitor, HDC, LPRECT, LPARAM data) {
    MONITORINFOEXA info = {};
    info.cbSize = sizeof info;
    if (GetMonitorInfoA(monitor, &info))
        addMonitorRecord(*reinterpret_cast<MonitorMap*>(data), info);
    return TRUE;
}

void Win32DisplaySystem::gatherMonitors(MonitorMap& monitors) {
    EnumDisplayMonitors(nullptr, nullptr, addMonitor, reinterpret_cast<LPARAM>(&monitors));
}

bool Win32DisplaySystem::displayDevice(std::uint32_t index, DisplayDevice& device) {
    DISPLAY_DEVICEA record = {};
    record.cb = sizeof record;
    if (!EnumDisplayDevicesA(nullptr, index, &record, 0))
        return false;
    device.deviceName = boundedText(record.DeviceName, sizeof record.DeviceName);
    device.deviceString = boundedText(record.DeviceString, sizeof record.DeviceString);
    device.stateFlags = record.StateFlags;
    return true;
}

bool Win32DisplaySystem::displayMode(const char* deviceName, std::uint32_t index,
                                     Resolution& mode) {
    return readMode(deviceName, index, mode);
}

bool Win32DisplaySystem::currentMode(const char* deviceName, Resolution& mode) {
    return readMode(deviceName, ENUM_CURRENT_SETTINGS, mode);
}
