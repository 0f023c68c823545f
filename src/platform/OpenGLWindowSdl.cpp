// The native show's window: SDL's on X11 or Wayland, a compatibility-profile context over EGL
// (GLEW is built for EGL). The bootstrap is the same window, still hidden, so that the options'
// entries and the GL's version are known before anything shows.
#include "platform/OpenGLWindow.h"

#include "diagnostics/Format.h"
#include "diagnostics/Logger.h"
#include "platform/GlVersion.h"
#include "platform/WindowGeometry.h"

#include <SDL.h>

#include <cstdlib>
#include <cstring>

namespace {

SDL_Window* asWindow(void* window) {
    return static_cast<SDL_Window*>(window);
}

// In wglSwapIntervalEXT's shape: non-zero on success.
int setSwapInterval(int interval) {
    return SDL_GL_SetSwapInterval(interval) == 0 ? 1 : 0;
}

bool refuse(const char* step) {
    g_logger->write(LogPlatform, formatString("%s: %s", step, SDL_GetError()).c_str());
    return false;
}

SDL_Window* makeWindow() {
    return SDL_CreateWindow("OpenGL", SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, 640, 360,
                            SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN);
}

} // namespace

OpenGLWindow::OpenGLWindow() = default;

OpenGLWindow::~OpenGLWindow() {
    if (context_ != nullptr)
        SDL_GL_DeleteContext(context_);
    if (window_ != nullptr)
        SDL_DestroyWindow(asWindow(window_));
    if (videoStarted_)
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
}

bool OpenGLWindow::initExtensions() {
    // GLEW loads through EGL: on X11 too the context must be EGL's, not GLX's.
    SDL_SetHint(SDL_HINT_VIDEO_X11_FORCE_EGL, "1");
    // The desktop's compositor stays on while the show is full screen: its mode is the desktop's.
    SDL_SetHint(SDL_HINT_VIDEO_X11_NET_WM_BYPASS_COMPOSITOR, "0");
    // Without a display server SDL would fall back to drawing off screen, for nobody.
    if (std::getenv("SDL_VIDEODRIVER") == nullptr && std::getenv("DISPLAY") == nullptr &&
        std::getenv("WAYLAND_DISPLAY") == nullptr) {
        g_logger->write(LogPlatform, "Unable to open the display: neither DISPLAY nor "
                                     "WAYLAND_DISPLAY is set");
        return false;
    }
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0)
        return refuse("Unable to open the display");
    videoStarted_ = true;
    const char* driver = SDL_GetCurrentVideoDriver();
    if (driver == nullptr || std::strcmp(driver, "offscreen") == 0 ||
        std::strcmp(driver, "dummy") == 0) {
        g_logger->write(LogPlatform, "Unable to open the display: SDL found none to show on");
        return false;
    }
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_COMPATIBILITY);
    SDL_GL_SetAttribute(SDL_GL_RED_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_GREEN_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_BLUE_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 0);
    SDL_GL_SetAttribute(SDL_GL_STENCIL_SIZE, 0);
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
    // A window that encodes sRGB where EGL offers it (EGL_KHR_gl_colorspace); without, the
    // picture is passed to it encoded.
    SDL_GL_SetAttribute(SDL_GL_FRAMEBUFFER_SRGB_CAPABLE, 1);
    window_ = makeWindow();
    if (window_ == nullptr) {
        SDL_GL_SetAttribute(SDL_GL_FRAMEBUFFER_SRGB_CAPABLE, 0);
        window_ = makeWindow();
    }
    if (window_ == nullptr)
        return refuse("Unable to create the window");
    context_ = SDL_GL_CreateContext(asWindow(window_));
    if (context_ == nullptr)
        return refuse("Unable to create the OpenGL context");
    glewInit();
    return offersRequiredOpenGl();
}

bool OpenGLWindow::createWindow(const DisplaySettings& settings) {
    if (context_ == nullptr) {
        g_logger->write(LogPlatform, "Unable to create the window without the bootstrap context");
        return false;
    }
    SDL_Window* window = asWindow(window_);
    if (settings.fullscreen) {
        // The chosen display at the desktop's own mode: Linux desktops do not let programs switch
        // modes, so the picture is always scaled by the GPU.
        const MonitorRect& display = settings.monitorInfo.rcMonitor;
        SDL_SetWindowPosition(window, display.left, display.top);
        SDL_SetWindowSize(window, display.right - display.left, display.bottom - display.top);
        if (SDL_SetWindowFullscreen(window, SDL_WINDOW_FULLSCREEN_DESKTOP) != 0)
            return refuse("Unable to show the window full screen");
        SDL_ShowCursor(SDL_DISABLE);
    } else {
        SDL_SetWindowSize(window, settings.width, settings.height);
        SDL_SetWindowPosition(window, SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED);
    }
    SDL_ShowWindow(window);
    SDL_RaiseWindow(window);
    const DrawableSize drawable = drawableSizeFor(settings);
    drawableWidth_ = drawable.width;
    drawableHeight_ = drawable.height;
    followDrawableSize();

    const auto text = [](GLenum name) {
        const auto* value = reinterpret_cast<const char*>(glGetString(name));
        return value != nullptr ? value : "";
    };
    g_logger->write(LogDriver,
                    formatString("%s, %s, %s (SDL %s)\n", text(GL_VENDOR), text(GL_RENDERER),
                                 text(GL_VERSION), SDL_GetCurrentVideoDriver())
                        .c_str());
    applySwapInterval(settings.vsync, true, &setSwapInterval);
    encodesSrgb = windowEncodesSrgb();
    glEnable(GL_CULL_FACE);
    return true;
}

void OpenGLWindow::followDrawableSize() {
    int width = 0, height = 0;
    SDL_GL_GetDrawableSize(asWindow(window_), &width, &height);
    if (width > 0 && height > 0 && width <= 65535 && height <= 65535) {
        drawableWidth_ = static_cast<std::uint16_t>(width);
        drawableHeight_ = static_cast<std::uint16_t>(height);
    }
}
