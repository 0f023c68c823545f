// Renders the show's picture at chosen show times and writes what the window shows to PNG:
//   capture.exe [--filtering N] OUTDIR WIDTH HEIGHT SAMPLES TIME [TIME...]
// SAMPLES is the MSAA sample count (0 for none). N is the launcher's filtering entry: 0
// "Bilinear", 1 "Trilinear" (the default), k >= 2 "Anisotropic 2^(k-1)x". No launcher, no music,
// no clock: each frame is drawn at exactly its time.
#include "app/Application.h"
#include "diagnostics/StderrLogger.h"

#include <GL/glew.h>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>
#include <windows.h>

#define STB_IMAGE_WRITE_IMPLEMENTATION
#include <stb_image_write.h>

namespace {

bool writeWindow(const OpenGLWindow& window, const std::string& path) {
    const int width = window.drawableWidth();
    const int height = window.drawableHeight();
    std::vector<unsigned char> pixels(static_cast<std::size_t>(width) * height * 3);
    glBindFramebuffer(GL_READ_FRAMEBUFFER, 0);
    glReadBuffer(GL_BACK);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, width, height, GL_RGB, GL_UNSIGNED_BYTE, pixels.data());
    // GL rows run bottom-up, PNG rows top-down.
    stbi_flip_vertically_on_write(1);
    return stbi_write_png(path.c_str(), width, height, 3, pixels.data(), width * 3) != 0;
}

// Part of the file name, so that frames of different filtering entries sit side by side.
std::string filteringLabel(int entry) {
    if (entry == 0)
        return "bilinear";
    if (entry == 1)
        return "trilinear";
    return "aniso" + std::to_string(1 << (entry - 1));
}

} // namespace

int main(int argc, char** argv) {
    int filtering = 1;
    int first = 1;
    if (argc > 2 && std::string(argv[1]) == "--filtering") {
        filtering = std::atoi(argv[2]);
        first = 3;
    }
    if (argc - first < 5 || filtering < 0 || filtering > 5) {
        std::fprintf(stderr,
                     "usage: %s [--filtering 0-5] OUTDIR WIDTH HEIGHT SAMPLES TIME [TIME...]\n",
                     argv[0]);
        return 2;
    }
    const char* const outDir = argv[first];
    g_logger = new StderrLogger(1);
    DisplaySettings settings{};
    settings.width = static_cast<std::uint16_t>(std::atoi(argv[first + 1]));
    settings.height = static_cast<std::uint16_t>(std::atoi(argv[first + 2]));
    settings.fullscreen = false;
    settings.vsync = false;
    settings.gpuScale = false;
    settings.aspect = static_cast<float>(settings.width) / settings.height;
    settings.filtering = filtering;
    settings.coverageSampling = false;
    settings.antialiasingLevel = std::atoi(argv[first + 3]);

    Application application;
    if (!application.initPicture(settings)) {
        std::fprintf(stderr, "capture: the picture did not start\n");
        return 1;
    }
    int failures = 0;
    const std::string antialiasing = settings.antialiasingLevel > 1
                                         ? "msaa" + std::to_string(settings.antialiasingLevel)
                                         : std::string("noaa");
    for (int i = first + 4; i < argc; ++i) {
        const float time = static_cast<float>(std::atof(argv[i]));
        application.drawFrame(time);
        char name[160];
        std::snprintf(name, sizeof name, "/frame-%dx%d-%s-%s-t%05.2f.png", settings.width,
                      settings.height, antialiasing.c_str(), filteringLabel(filtering).c_str(),
                      static_cast<double>(time));
        const std::string path = std::string(outDir) + name;
        if (writeWindow(*application.window, path))
            std::printf("%s\n", path.c_str());
        else
            ++failures;
        SwapBuffers(application.window->deviceContext());
    }
    return failures == 0 ? 0 : 1;
}
