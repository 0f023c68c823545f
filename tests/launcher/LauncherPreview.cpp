// Opens the "Intro" dialog on the real desktop with a GL context current, as the show does, and
// prints what "Demo" chose. For looking at the dialog: run it, then capture the display.
#include "launcher/Launcher.h"
#include "support/GlTestContext.h"

#include <cstdio>

int main() {
    GlTestContext gl;
    if (!gl.create()) {
        std::puts("no OpenGL context");
        return 1;
    }
    DisplaySettings settings;
    if (Launcher::run(nullptr, settings) != LauncherResult::Confirmed) {
        std::puts("left without starting");
        return 0;
    }
    std::printf("%u x %u, fullscreen %d, vsync %d, gpuScale %d, aspect %.7g, filtering %d, "
                "coverage %d, antialiasing %d, device \"%s\"\n",
                settings.width, settings.height, settings.fullscreen, settings.vsync,
                settings.gpuScale, settings.aspect, settings.filtering, settings.coverageSampling,
                settings.antialiasingLevel, settings.fullscreen ? settings.deviceName.c_str() : "");
    return 0;
}
