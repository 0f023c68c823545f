#pragma once

#include "core/DisplaySettings.h"
#include "core/IntrusivePointer.h"

#include <GL/glew.h>
#include <cstdint>

// The window-and-context seam where there is no Windows: an OpenGL context with no display
// server at all, made over an EGL device (a GPU's where the machine has one, else Mesa's software
// device) or Mesa's surfaceless platform. Its "window" is an off-screen sRGB framebuffer at the
// drawable size. The context is a debug context: messages of type error or undefined behaviour
// are counted and written at LogGlFault, synchronously, inside the call that caused them.
class OpenGLWindow : public IntrusivePointerMixin<OpenGLWindow> {
  public:
    OpenGLWindow() = default;
    OpenGLWindow(const OpenGLWindow&) = delete;
    OpenGLWindow& operator=(const OpenGLWindow&) = delete;
    ~OpenGLWindow();

    // A current compatibility-profile context with GLEW loaded, so that limits can be asked.
    bool initExtensions();
    // The framebuffer frames are presented to, and the driver's line.
    bool createWindow(const DisplaySettings& settings);

    std::uint16_t drawableWidth() const { return drawableWidth_; }
    std::uint16_t drawableHeight() const { return drawableHeight_; }
    GLuint framebuffer() const { return framebuffer_; }

    // Off-screen framebuffers encode; kept as a member for the same seam as the window's.
    bool encodesSrgb = true;
    // Debug messages of type error or undefined behaviour so far.
    int debugFaults = 0;

  private:
    std::uint16_t drawableWidth_ = 0;
    std::uint16_t drawableHeight_ = 0;
    // An EGLDisplay and EGLContext: EGL's headers stay out of every file that includes this one.
    void* display_ = nullptr;
    void* context_ = nullptr;
    // Which kind of EGL display was found, for the driver's line.
    const char* source_ = "";
    GLuint framebuffer_ = 0;
    GLuint colorBuffer_ = 0;
};
