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

SDL_Window* makeWindow(int x, int y, int width, int height, Uint32 flags) {
    SDL_Window* window = SDL_CreateWindow("OpenGL", x, y, width, height, SDL_WINDOW_OPENGL | flags);
    if (window == nullptr) {
        // Without EGL_KHR_gl_colorspace: the picture is passed to the window encoded.
        SDL_GL_SetAttribute(SDL_GL_FRAMEBUFFER_SRGB_CAPABLE, 0);
        window = SDL_CreateWindow("OpenGL", x, y, width, height, SDL_WINDOW_OPENGL | flags);
    }
    return window;
}

} // namespace

OpenGLWindow::OpenGLWindow() = default;

OpenGLWindow::~OpenGLWindow() {
    if (context_ != nullptr)
        SDL_GL_DeleteContext(context_);
    if (window_ != nullptr)
        SDL_DestroyWindow(asWindow(window_));
    // SDL's video stays up for the failure box: the show's main ends SDL. Started again after a
    // quit, SDL found X11 "not available" at times (7 of 16 boxes here).
}

bool OpenGLWindow::initExtensions() {
    // GLEW loads through EGL: on X11 too the context must be EGL's, not GLX's.
    SDL_SetHint(SDL_HINT_VIDEO_X11_FORCE_EGL, "1");
    // The desktop's compositor stays on while the show is full screen: its mode is the desktop's.
    SDL_SetHint(SDL_HINT_VIDEO_X11_NET_WM_BYPASS_COMPOSITOR, "0");
    if (!displayNamed()) {
        g_logger->write(LogPlatform, "Unable to open the display: neither DISPLAY nor "
                                     "WAYLAND_DISPLAY is set");
        return false;
    }
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0)
        return refuse("Unable to open the display");
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
    // A window that encodes sRGB where EGL offers it (EGL_KHR_gl_colorspace).
    SDL_GL_SetAttribute(SDL_GL_FRAMEBUFFER_SRGB_CAPABLE, 1);
    return makeWindowAndContext(SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, 640, 360,
                                SDL_WINDOW_HIDDEN) &&
           offersRequiredOpenGl();
}

bool OpenGLWindow::createWindow(const DisplaySettings& settings) {
    if (context_ == nullptr) {
        g_logger->write(LogPlatform, "Unable to create the window without the bootstrap context");
        return false;
    }
    // A new window at its final size and a new context for it, as on Windows: a GL may keep the
    // size a window's buffers were made at for a while after the window is resized (Mesa did,
    // until the first render target was bound).
    SDL_GL_DeleteContext(context_);
    context_ = nullptr;
    SDL_DestroyWindow(asWindow(window_));
    window_ = nullptr;
    // Full screen: the chosen display at the desktop's own mode; Linux desktops do not let
    // programs switch modes, so the picture is always scaled by the GPU.
    const MonitorRect& display = settings.monitorInfo.rcMonitor;
    const bool made =
        settings.fullscreen
            ? makeWindowAndContext(display.left, display.top, display.right - display.left,
                                   display.bottom - display.top, SDL_WINDOW_FULLSCREEN_DESKTOP)
            : makeWindowAndContext(SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, settings.width,
                                   settings.height, 0);
    if (!made)
        return false;
    if (settings.fullscreen)
        SDL_ShowCursor(SDL_DISABLE);
    SDL_Window* window = asWindow(window_);
    SDL_ShowWindow(window);
    SDL_RaiseWindow(window);
    // The size asked for: X11 applies it later, and SDL reports the old one until then. Where a
    // window manager gives another, the frame loop follows its size-change event.
    const DrawableSize drawable = drawableSizeFor(settings);
    drawableWidth_ = drawable.width;
    drawableHeight_ = drawable.height;

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

bool OpenGLWindow::makeWindowAndContext(int x, int y, int width, int height, std::uint32_t flags) {
    window_ = makeWindow(x, y, width, height, flags);
    if (window_ == nullptr)
        return refuse("Unable to create the window");
    context_ = SDL_GL_CreateContext(asWindow(window_));
    if (context_ == nullptr)
        return refuse("Unable to create the OpenGL context");
    glewInit();
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

bool OpenGLWindow::displayNamed() {
    const auto named = [](const char* variable) {
        const char* value = std::getenv(variable);
        return value != nullptr && *value != '\0';
    };
    return named("SDL_VIDEODRIVER") || named("DISPLAY") || named("WAYLAND_DISPLAY");
}
