#include "platform/OpenGLWindow.h"

#include "diagnostics/Format.h"
#include "diagnostics/Logger.h"
#include "platform/GlVersion.h"
#include "platform/WindowGeometry.h"

#include <EGL/egl.h>
#include <EGL/eglext.h>
#include <cstring>

namespace {

// As the show's window asks: the driver's default compatibility version. The debug flag is
// EGL 1.5's; a driver that refuses it gets the same request without.
const EGLint debugContextAttributes[] = {EGL_CONTEXT_OPENGL_PROFILE_MASK,
                                         EGL_CONTEXT_OPENGL_COMPATIBILITY_PROFILE_BIT,
                                         EGL_CONTEXT_OPENGL_DEBUG, EGL_TRUE, EGL_NONE};
const EGLint contextAttributes[] = {EGL_CONTEXT_OPENGL_PROFILE_MASK,
                                    EGL_CONTEXT_OPENGL_COMPATIBILITY_PROFILE_BIT, EGL_NONE};

template <class Function> Function entryPoint(const char* name) {
    return reinterpret_cast<Function>(eglGetProcAddress(name));
}

bool hasExtension(const char* list, const char* name) {
    const std::size_t length = std::strlen(name);
    for (const char* at = list; at != nullptr && (at = std::strstr(at, name)) != nullptr;
         at += length)
        if ((at == list || at[-1] == ' ') && (at[length] == ' ' || at[length] == '\0'))
            return true;
    return false;
}

// An initialised display that makes a current desktop-GL context, or none.
struct Made {
    EGLDisplay display = EGL_NO_DISPLAY;
    EGLContext context = EGL_NO_CONTEXT;
};

Made contextOn(EGLDisplay display, bool debug) {
    if (!eglBindAPI(EGL_OPENGL_API))
        return {};
    // Without a config where the driver allows it (Mesa), else the first desktop-GL one of any
    // surface type: the default asks for windows, which a GPU's device display never offers (its
    // configs are pbuffer or stream ones). No surface either way, frames go to framebuffer objects.
    EGLConfig config = nullptr;
    EGLint count = 0;
    const EGLint wanted[] = {EGL_RENDERABLE_TYPE, EGL_OPENGL_BIT, EGL_SURFACE_TYPE, EGL_DONT_CARE,
                             EGL_NONE};
    if (!hasExtension(eglQueryString(display, EGL_EXTENSIONS), "EGL_KHR_no_config_context") &&
        (!eglChooseConfig(display, wanted, &config, 1, &count) || count == 0))
        return {};
    EGLContext context =
        debug ? eglCreateContext(display, config, EGL_NO_CONTEXT, debugContextAttributes)
              : EGL_NO_CONTEXT;
    if (context == EGL_NO_CONTEXT)
        context = eglCreateContext(display, config, EGL_NO_CONTEXT, contextAttributes);
    if (context == EGL_NO_CONTEXT)
        return {};
    if (!eglMakeCurrent(display, EGL_NO_SURFACE, EGL_NO_SURFACE, context)) {
        eglDestroyContext(display, context);
        return {};
    }
    return {display, context};
}

Made makeContext(EGLDisplay display, bool debug) {
    if (display == EGL_NO_DISPLAY)
        return {};
    // A display is one per device and process: one that another window already initialised is
    // that window's to keep.
    const bool initialisedHere = eglQueryString(display, EGL_VERSION) == nullptr;
    if (!eglInitialize(display, nullptr, nullptr))
        return {};
    const Made made = contextOn(display, debug);
    if (made.context == EGL_NO_CONTEXT && initialisedHere)
        eglTerminate(display);
    return made;
}

void GLAPIENTRY debugMessage(GLenum source, GLenum type, GLuint, GLenum, GLsizei,
                             const GLchar* message, const void* faults) {
    // A shader that does not compile is the loader's to report, with its path and info log.
    if ((type != GL_DEBUG_TYPE_ERROR && type != GL_DEBUG_TYPE_UNDEFINED_BEHAVIOR) ||
        source == GL_DEBUG_SOURCE_SHADER_COMPILER)
        return;
    ++*static_cast<int*>(const_cast<void*>(faults));
    g_logger->write(LogGlFault,
                    formatString("OpenGL %s: %s",
                                 type == GL_DEBUG_TYPE_ERROR ? "error" : "undefined behaviour",
                                 message)
                        .c_str());
}

} // namespace

OpenGLWindow::OpenGLWindow() = default;

OpenGLWindow::~OpenGLWindow() {
    if (context_ == nullptr)
        return;
    eglMakeCurrent(display_, EGL_NO_SURFACE, EGL_NO_SURFACE, context_);
    glDeleteFramebuffers(1, &framebuffer_);
    glDeleteRenderbuffers(1, &colorBuffer_);
    eglMakeCurrent(display_, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
    eglDestroyContext(display_, context_);
    // The display is not terminated: it is the device's one display, which another window of
    // this process may still be drawing on.
}

bool OpenGLWindow::initExtensions() {
    // A GPU's device first, then a software one, then Mesa's surfaceless platform.
    const auto queryDevices = entryPoint<PFNEGLQUERYDEVICESEXTPROC>("eglQueryDevicesEXT");
    const auto deviceString = entryPoint<PFNEGLQUERYDEVICESTRINGEXTPROC>("eglQueryDeviceStringEXT");
    const auto platformDisplay =
        entryPoint<PFNEGLGETPLATFORMDISPLAYEXTPROC>("eglGetPlatformDisplayEXT");
    EGLDeviceEXT devices[16];
    EGLint deviceCount = 0;
    if (queryDevices == nullptr || deviceString == nullptr || platformDisplay == nullptr ||
        !queryDevices(16, devices, &deviceCount))
        deviceCount = 0;
    Made made;
    for (const bool software : {false, true})
        for (EGLint i = 0; i < deviceCount && made.context == EGL_NO_CONTEXT; ++i) {
            if (hasExtension(deviceString(devices[i], EGL_EXTENSIONS),
                             "EGL_MESA_device_software") != software)
                continue;
            made = makeContext(platformDisplay(EGL_PLATFORM_DEVICE_EXT, devices[i], nullptr),
                               debugContexts);
            source_ = software ? "EGL software device" : "EGL device";
        }
    if (made.context == EGL_NO_CONTEXT && platformDisplay != nullptr) {
        made = makeContext(
            platformDisplay(EGL_PLATFORM_SURFACELESS_MESA, EGL_DEFAULT_DISPLAY, nullptr),
            debugContexts);
        source_ = "EGL surfaceless platform";
    }
    if (made.context == EGL_NO_CONTEXT) {
        g_logger->write(LogPlatform, "Unable to make an OpenGL context over EGL");
        return false;
    }
    display_ = made.display;
    context_ = made.context;

    // Not experimental: through libglvnd every name has an entry point, so GLEW would then take
    // an extension the driver lacks for offered.
    if (glewInit() != GLEW_OK && glGetString(GL_VERSION) == nullptr) {
        g_logger->write(LogPlatform, "Unable to load the OpenGL entry points");
        return false;
    }
    if (debugContexts && GLEW_KHR_debug) {
        glEnable(GL_DEBUG_OUTPUT);
        glEnable(GL_DEBUG_OUTPUT_SYNCHRONOUS);
        glDebugMessageCallback(debugMessage, &debugFaults);
    }
    return true;
}

bool OpenGLWindow::createWindow(const DisplaySettings& settings) {
    if (context_ == nullptr) {
        g_logger->write(LogPlatform, "Unable to create the window without the bootstrap context");
        return false;
    }
    const auto text = [](GLenum name) {
        const auto* value = reinterpret_cast<const char*>(glGetString(name));
        return value != nullptr ? value : "";
    };
    g_logger->write(LogDriver, formatString("%s, %s, %s (%s)\n", text(GL_VENDOR), text(GL_RENDERER),
                                            text(GL_VERSION), source_)
                                   .c_str());
    if (!offersRequiredOpenGl())
        return false;

    const DrawableSize drawable = drawableSizeFor(settings);
    drawableWidth_ = drawable.width;
    drawableHeight_ = drawable.height;
    glGenRenderbuffers(1, &colorBuffer_);
    glBindRenderbuffer(GL_RENDERBUFFER, colorBuffer_);
    glRenderbufferStorage(GL_RENDERBUFFER, GL_SRGB8_ALPHA8, drawableWidth_, drawableHeight_);
    glGenFramebuffers(1, &framebuffer_);
    glBindFramebuffer(GL_FRAMEBUFFER, framebuffer_);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, colorBuffer_);
    if (glCheckFramebufferStatus(GL_FRAMEBUFFER) != GL_FRAMEBUFFER_COMPLETE) {
        g_logger->write(LogPlatform, "Unable to create the window's framebuffer");
        return false;
    }
    glEnable(GL_FRAMEBUFFER_SRGB);
    glEnable(GL_CULL_FACE);
    return true;
}
