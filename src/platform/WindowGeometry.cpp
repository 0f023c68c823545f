#include "platform/WindowGeometry.h"

namespace {
// Widened first: the difference of two extreme 32-bit coordinates does not fit in 32 bits.
std::uint16_t extent(std::int32_t low, std::int32_t high) {
    return static_cast<std::uint16_t>(static_cast<std::int64_t>(high) - low);
}
} // namespace

DrawableSize drawableSizeFor(const DisplaySettings& settings) {
    if (settings.fullscreen && settings.gpuScale) {
        const auto& display = settings.monitorInfo.rcMonitor;
        return {extent(display.left, display.right), extent(display.top, display.bottom)};
    }
    return {settings.width, settings.height};
}
