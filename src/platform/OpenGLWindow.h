#pragma once

#include "core/DisplaySettings.h"
#include "core/IntrusivePointer.h"

#include <cstdint>
#include <GL/glew.h>
#include <GL/wglew.h>
#include <windows.h>

// The one top-level window, its device context and the OpenGL context. First a hidden bootstrap
// window with a legacy context loads the WGL entry points and GLEW (so the launcher can query
// GL); then createWindow makes the real window and a compatibility-profile context.
class OpenGLWindow : public IntrusivePointerMixin<OpenGLWindow> {
  public:
    OpenGLWindow();
    OpenGLWindow(const OpenGLWindow&) = delete;
    OpenGLWindow& operator=(const OpenGLWindow&) = delete;
    // Tears down whatever exists: context, device context, window, class; restores a switched
    // display mode.
    ~OpenGLWindow();

    bool initExtensions();
    bool createWindow(const DisplaySettings& settings);

    std::uint16_t drawableWidth() const { return drawableWidth_; }
    std::uint16_t drawableHeight() const { return drawableHeight_; }
    HDC deviceContext() const { return deviceContext_; }
    HWND windowHandle() const { return window_; }

  private:
    std::uint16_t drawableWidth_ = 0;
    std::uint16_t drawableHeight_ = 0;
    DisplaySettings settings_;
    HWND window_ = nullptr;
    ATOM classAtom_ = 0;
    bool displayModeChanged_ = false;
    HDC deviceContext_ = nullptr;
    HGLRC renderingContext_ = nullptr;
    PFNWGLCHOOSEPIXELFORMATARBPROC choosePixelFormat_ = nullptr;
    PFNWGLCREATECONTEXTATTRIBSARBPROC createContextAttribs_ = nullptr;
};
