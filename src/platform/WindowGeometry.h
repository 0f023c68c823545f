#pragma once

#include "core/DisplaySettings.h"

#include <cstdint>

struct DrawableSize {
    std::uint16_t width;
    std::uint16_t height;
};

// The size the final on-screen pass must fill. GPU-scaled full screen keeps the display's own
// mode, so the window covers the whole display rectangle; everywhere else it is the chosen
// resolution. The rectangle's extent is kept to 16 bits like every other size here.
DrawableSize drawableSizeFor(const DisplaySettings& settings);

// Chooses and applies the swap interval through `setInterval`: the loaded wglSwapIntervalEXT (or
// a stand-in of its shape), null on a driver without the extension, which then keeps its own
// default. Adaptive sync (-1) needs the tear-control extension, and a driver may refuse it even
// then: plain vertical sync takes over.
template <class SetInterval>
void applySwapInterval(bool vsync, bool tearControl, SetInterval setInterval) {
    if (setInterval == nullptr)
        return;
    if (!vsync) {
        setInterval(0);
        return;
    }
    if (tearControl && setInterval(-1) != 0)
        return;
    setInterval(1);
}
