#pragma once

#include "core/DisplaySettings.h"
#include "core/IntrusivePointer.h"
#include "platform/DisplayModeKeeper.h"

#include <GL/glew.h>
#include <cstdint>
#ifdef _WIN32
#include <GL/wglew.h>
#include <windows.h>
#endif

// The one top-level window, its device context and the OpenGL context. First a hidden bootstrap
// window with a legacy context loads the WGL entry points and GLEW (so the launcher can query
// GL); then createWindow makes the real window and a compatibility-profile context.
//
// Without Windows (OpenGLWindowEgl.cpp) it is an OpenGL context with no display server at all,
// made over an EGL device (a GPU's where the machine has one, else Mesa's software device) or
// Mesa's surfaceless platform, and its "window" an off-screen sRGB framebuffer at the drawable
// size. That context is a debug context: messages of type error or undefined behaviour are counted
// and written at LogGlFault, synchronously, inside the call that caused them.
//
// The native show's window (OpenGLWindowSdl.cpp, linked into the show alone, in place of the
// off-screen one) is SDL's, on X11 or Wayland, with its context over EGL; the bootstrap is that
// window still hidden.
class OpenGLWindow final : public IntrusivePointerMixin<OpenGLWindow>
#ifdef _WIN32
    ,
                           private DisplayModeKeeper::Actions
#endif
{
  public:
    OpenGLWindow();
    OpenGLWindow(const OpenGLWindow&) = delete;
    OpenGLWindow& operator=(const OpenGLWindow&) = delete;
    // Tears down whatever exists: context, device context, window, class; restores a switched
    // display mode. Natively: the framebuffer, then the context.
    ~OpenGLWindow();

    bool initExtensions();
    bool createWindow(const DisplaySettings& settings);

    std::uint16_t drawableWidth() const {
        return drawableWidth_;
    }
    std::uint16_t drawableHeight() const {
        return drawableHeight_;
    }
    // Where frames are presented: 0, the window's back buffer, under Windows.
    GLuint framebuffer() const {
        return framebuffer_;
    }
#ifdef _WIN32
    HDC deviceContext() const {
        return deviceContext_;
    }
    HWND windowHandle() const {
        return window_;
    }

    // Called by the window procedure when the show gains or loses activation, and with the
    // message the show posts itself then.
    void activationChanged() {
        if (switchesDisplayMode())
            modeKeeper_.activationChanged();
    }
    void recheckActivation() {
        if (switchesDisplayMode())
            modeKeeper_.recheck();
    }
#else
    // Debug messages of type error or undefined behaviour so far.
    int debugFaults = 0;
    // Whether the contexts made from now on are debug contexts with synchronous output. A tool
    // that times frames turns it off: the show's context is none, and a driver may check more
    // in one, and cannot defer a call to another thread with synchronous output.
    static inline bool debugContexts = true;
#endif

    // Whether the window's back buffer encodes sRGB writes, as found when it was created; where
    // it does not, passes into the window hand it their already encoded bytes. A test sets it to
    // false to take a driver's path that this GL does not.
    bool encodesSrgb = true;
#ifndef _WIN32
    // The show's SDL window (an SDL_Window), null off screen.
    void* sdlWindow() const {
        return window_;
    }
    // The drawable takes the window's size as it is now: a window manager or compositor may give
    // it another than asked for, or change it later.
    void followDrawableSize();
    // Whether the environment names a display server (or an SDL video driver) to show on:
    // without one SDL falls back to drawing off screen, for nobody.
    static bool displayNamed();
#endif

  private:
    std::uint16_t drawableWidth_ = 0;
    std::uint16_t drawableHeight_ = 0;
    GLuint framebuffer_ = 0;
#ifdef _WIN32
    // The start-up steps that can fail, for the test seam below.
    enum class Step : int{
        None,
        RegisterWindowClass,
        CreateBootstrapWindow,
        GetBootstrapDeviceContext,
        ChooseLegacyPixelFormat,
        SetLegacyPixelFormat,
        CreateLegacyContext,
        MakeLegacyContextCurrent,
        LoadEntryPoints,
        ChooseRealPixelFormat,
        CreateVisibleWindow,
        GetWindowDeviceContext,
        SwitchDisplayMode,
        SetRealPixelFormat,
        CreateRealContext,
        MakeRealContextCurrent,
    };
    // Test seam: the step named by failingStep_ is not attempted and reports failure, so that
    // tests can reach every partly built state. Production code never sets it.
    bool attempt(Step step) const {
        return step != failingStep_;
    }
    // Full screen without GPU scaling switches the display's mode.
    bool switchesDisplayMode() const;
    // What the mode keeper asks of the window.
    bool isForeground() override;
    bool switchMode() override;
    void restoreModes() override;
    void minimize() override;
    void cover(bool switched) override;
    void postRecheck() override;
    // Writes the line that names the failed step; always false.
    bool fail(Step step) const;
    friend struct OpenGLWindowFaults;

    DisplaySettings settings_{};
    HWND window_ = nullptr;
    ATOM classAtom_ = 0;
    DisplayModeKeeper modeKeeper_{*this};
    // Full screen hides the cursor whether or not the mode was switched; teardown shows it again.
    bool cursorHidden_ = false;
    HDC deviceContext_ = nullptr;
    HGLRC renderingContext_ = nullptr;
    PFNWGLCHOOSEPIXELFORMATARBPROC choosePixelFormat_ = nullptr;
    PFNWGLCREATECONTEXTATTRIBSARBPROC createContextAttribs_ = nullptr;
    Step failingStep_ = Step::None;
    // Test seam: what the real context is asked for. Tests point it at a request the driver
    // refuses, so that the real call fails.
    const int* contextRequest_;
    // Test seam: the version string the bootstrap context is judged by, where tests play a GL
    // this machine does not have.
    const char* bootstrapVersion_ = nullptr;
#else
    // An EGLDisplay and EGLContext: EGL's headers stay out of every file that includes this one.
    void* display_ = nullptr;
    void* context_ = nullptr;
    // Which kind of EGL display was found, for the driver's line.
    const char* source_ = "";
    GLuint colorBuffer_ = 0;
    // The show's window: an SDL_Window.
    void* window_ = nullptr;
    // The show's window with SDL's flags, its context current and GLEW loaded; false with the
    // failing step's line.
    bool makeWindowAndContext(int x, int y, int width, int height, std::uint32_t flags);
#endif
};
