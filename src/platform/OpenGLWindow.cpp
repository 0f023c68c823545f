#include "platform/OpenGLWindow.h"

#include "diagnostics/Format.h"
#include "diagnostics/Logger.h"
#include "platform/GlVersion.h"
#include "platform/WindowGeometry.h"

namespace {

const wchar_t windowName[] = L"OpenGL";

constexpr DWORD windowedStyle =
    WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPSIBLINGS | WS_CLIPCHILDREN;
constexpr DWORD fullScreenStyle = WS_POPUP | WS_CLIPSIBLINGS | WS_CLIPCHILDREN | WS_MAXIMIZE;
constexpr DWORD extendedStyle = WS_EX_APPWINDOW;
// Posted on a change of activation, so that full screen is kept outside the activation message.
constexpr UINT recheckActivationMessage = WM_APP + 1;

LRESULT CALLBACK windowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_NCCREATE:
        // The visible window carries its owner; the bootstrap window none.
        SetWindowLongPtrW(window, GWLP_USERDATA,
                          reinterpret_cast<LONG_PTR>(
                              reinterpret_cast<const CREATESTRUCTW*>(lParam)->lpCreateParams));
        return DefWindowProcW(window, message, wParam, lParam);
    case WM_ACTIVATEAPP:
    case recheckActivationMessage:
        if (auto* owner =
                reinterpret_cast<OpenGLWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA))) {
            if (message == WM_ACTIVATEAPP)
                owner->activationChanged();
            else
                owner->recheckActivation();
        }
        return 0;
    case WM_CLOSE:
        // The frame loop ends on the quit message; the window itself goes at teardown.
        PostQuitMessage(0);
        return 0;
    case WM_KEYDOWN:
        if (wParam == VK_ESCAPE)
            PostQuitMessage(0);
        return 0;
    default:
        return DefWindowProcW(window, message, wParam, lParam);
    }
}

// One record for the bootstrap and the visible window; the class is registered once per object
// and reused by the visible window.
WNDCLASSEXW windowClass = {sizeof(WNDCLASSEXW),
                           CS_OWNDC,
                           windowProcedure,
                           0,        // class extra bytes
                           0,        // window extra bytes
                           nullptr,  // instance: filled on first use
                           nullptr,  // icon
                           nullptr,  // cursor: filled on first use
                           nullptr,  // background brush: black, filled on first use
                           nullptr,  // menu
                           nullptr,  // class name: filled on first use
                           nullptr}; // small icon

// Bootstrap only: 32 colour bits and nothing else (no alpha, depth, stencil or accumulation).
PIXELFORMATDESCRIPTOR legacyPixelFormat() {
    PIXELFORMATDESCRIPTOR format = {};
    format.nSize = sizeof format;
    format.nVersion = 1;
    format.dwFlags = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | PFD_DOUBLEBUFFER;
    format.iPixelType = PFD_TYPE_RGBA;
    format.cColorBits = 32;
    format.iLayerType = PFD_MAIN_PLANE;
    return format;
}

// No sample buffers: the default framebuffer stays single-sampled and antialiasing happens in
// the off-screen targets.
// clang-format off
const int pixelFormatAttributes[] = {
    WGL_DRAW_TO_WINDOW_ARB, 1,
    WGL_ACCELERATION_ARB, WGL_FULL_ACCELERATION_ARB,
    WGL_SUPPORT_OPENGL_ARB, 1,
    WGL_DOUBLE_BUFFER_ARB, 1,
    WGL_FRAMEBUFFER_SRGB_CAPABLE_ARB, 1,
    WGL_PIXEL_TYPE_ARB, WGL_TYPE_RGBA_ARB,
    WGL_COLOR_BITS_ARB, 32,
    WGL_DEPTH_BITS_ARB, 0,
    WGL_STENCIL_BITS_ARB, 0,
    0};

// No version requested: the driver's default compatibility version applies.
const int contextAttributes[] = {
    WGL_CONTEXT_PROFILE_MASK_ARB, WGL_CONTEXT_COMPATIBILITY_PROFILE_BIT_ARB,
    0};
// clang-format on

HINSTANCE moduleInstance() {
    return GetModuleHandleW(nullptr);
}

// GCC warns about casts between unrelated function types unless they pass through void(*)().
template <class Function> Function entryPoint(const char* name) {
    return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(wglGetProcAddress(name)));
}

void logDriverString(GLenum name) {
    const auto* text = reinterpret_cast<const char*>(glGetString(name));
    const ByteString message = formatString("%s\n", text != nullptr ? text : "");
    g_logger->write(LogDriver, message.c_str());
}

// Member by member: the device name is built afresh rather than assigned, because assigning an
// empty string onto the shared empty storage writes its terminator there (read-only memory).
void copySettings(const DisplaySettings& from, DisplaySettings& to) {
    to.width = from.width;
    to.height = from.height;
    to.fullscreen = from.fullscreen;
    to.vsync = from.vsync;
    to.gpuScale = from.gpuScale;
    to.aspect = from.aspect;
    to.filtering = from.filtering;
    to.coverageSampling = from.coverageSampling;
    to.antialiasingLevel = from.antialiasingLevel;
    to.deviceName = ByteString(from.deviceName);
    to.monitorInfo = from.monitorInfo;
}

} // namespace

OpenGLWindow::OpenGLWindow() : contextRequest_(contextAttributes) {}

bool OpenGLWindow::fail(Step step) const {
    // Each failing step says which it was: the lines are the only trace a failed start leaves.
    const char* text = nullptr;
    switch (step) {
    case Step::None:
        return false;
    case Step::RegisterWindowClass:
        text = "Unable to register the window class";
        break;
    case Step::CreateBootstrapWindow:
        text = "Unable to create the bootstrap window";
        break;
    case Step::GetBootstrapDeviceContext:
        text = "Unable to get the bootstrap window's device context";
        break;
    case Step::ChooseLegacyPixelFormat:
        text = "Unable to choose a pixel format for the bootstrap window";
        break;
    case Step::SetLegacyPixelFormat:
        text = "Unable to set the bootstrap window's pixel format";
        break;
    case Step::CreateLegacyContext:
        text = "Unable to create the bootstrap OpenGL context";
        break;
    case Step::MakeLegacyContextCurrent:
        text = "Unable to make the bootstrap OpenGL context current";
        break;
    case Step::LoadEntryPoints:
        text = "Unable to load wglChoosePixelFormatARB and wglCreateContextAttribsARB";
        break;
    case Step::ChooseRealPixelFormat:
        text = "Unable to choose a pixel format for the window";
        break;
    case Step::SwitchDisplayMode: {
        const ByteString message = formatString(
            "Unable to switch the display mode of %s to %u x %u", settings_.deviceName.c_str(),
            static_cast<unsigned>(settings_.width), static_cast<unsigned>(settings_.height));
        g_logger->write(LogPlatform, message.c_str());
        return false;
    }
    case Step::CreateVisibleWindow:
        text = "Unable to create the window";
        break;
    case Step::GetWindowDeviceContext:
        text = "Unable to get the window's device context";
        break;
    case Step::SetRealPixelFormat:
        text = "Unable to set the window's pixel format";
        break;
    case Step::CreateRealContext:
        text = "Unable to create the OpenGL context";
        break;
    case Step::MakeRealContextCurrent:
        text = "Unable to make the OpenGL context current";
        break;
    }
    g_logger->write(LogPlatform, text);
    return false;
}

OpenGLWindow::~OpenGLWindow() {
    if (classAtom_ != 0) {
        if (window_ != nullptr) {
            if (deviceContext_ != nullptr) {
                if (renderingContext_ != nullptr) {
                    wglMakeCurrent(deviceContext_, nullptr);
                    wglDeleteContext(renderingContext_);
                }
                ReleaseDC(window_, deviceContext_);
            }
            // Losing activation while being destroyed is no Alt+Tab.
            SetWindowLongPtrW(window_, GWLP_USERDATA, 0);
            DestroyWindow(window_);
        }
        UnregisterClassA(MAKEINTATOM(classAtom_), moduleInstance());
    }
    if (modeKeeper_.switched())
        ChangeDisplaySettingsW(nullptr, 0);
    if (cursorHidden_)
        ShowCursor(TRUE);
}

bool OpenGLWindow::initExtensions() {
    if (windowClass.hInstance == nullptr) {
        windowClass.hInstance = moduleInstance();
        // IDC_ARROW, spelt for the wide call.
        windowClass.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));
        // What the window shows while the context and the picture are made.
        windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
        windowClass.lpszClassName = windowName;
    }
    if (attempt(Step::RegisterWindowClass))
        classAtom_ = RegisterClassExW(&windowClass);
    if (classAtom_ == 0)
        return fail(Step::RegisterWindowClass);

    if (attempt(Step::CreateBootstrapWindow))
        window_ = CreateWindowExW(extendedStyle, windowName, windowName, windowedStyle, 0, 0, 1, 1,
                                  nullptr, nullptr, moduleInstance(), nullptr);
    if (window_ == nullptr)
        return fail(Step::CreateBootstrapWindow);
    if (attempt(Step::GetBootstrapDeviceContext))
        deviceContext_ = GetDC(window_);
    if (deviceContext_ == nullptr)
        return fail(Step::GetBootstrapDeviceContext);

    const PIXELFORMATDESCRIPTOR legacy = legacyPixelFormat();
    const int format =
        attempt(Step::ChooseLegacyPixelFormat) ? ChoosePixelFormat(deviceContext_, &legacy) : 0;
    if (format == 0)
        return fail(Step::ChooseLegacyPixelFormat);
    if (!attempt(Step::SetLegacyPixelFormat) || !SetPixelFormat(deviceContext_, format, &legacy))
        return fail(Step::SetLegacyPixelFormat);
    if (attempt(Step::CreateLegacyContext))
        renderingContext_ = wglCreateContext(deviceContext_);
    if (renderingContext_ == nullptr)
        return fail(Step::CreateLegacyContext);
    if (!attempt(Step::MakeLegacyContextCurrent) ||
        !wglMakeCurrent(deviceContext_, renderingContext_))
        return fail(Step::MakeLegacyContextCurrent);

    // Failures here surface later as missing entry points; the launcher only needs GL 1.1 and
    // the extension flags GLEW could read. The version is judged before any WGL extension is
    // looked for: Microsoft's GL 1.1 (the basic display adapter, Remote Desktop) has none.
    glewInit();
    const char* version = bootstrapVersion_ != nullptr
                              ? bootstrapVersion_
                              : reinterpret_cast<const char*>(glGetString(GL_VERSION));
    if (!offersRequiredOpenGl(version))
        return false;

    if (attempt(Step::LoadEntryPoints)) {
        choosePixelFormat_ = entryPoint<PFNWGLCHOOSEPIXELFORMATARBPROC>("wglChoosePixelFormatARB");
        createContextAttribs_ =
            entryPoint<PFNWGLCREATECONTEXTATTRIBSARBPROC>("wglCreateContextAttribsARB");
    }
    if (choosePixelFormat_ == nullptr || createContextAttribs_ == nullptr)
        return fail(Step::LoadEntryPoints);
    return true;
}

bool OpenGLWindow::createWindow(const DisplaySettings& settings) {
    // Only a finished bootstrap has the device context and entry points needed below.
    if (choosePixelFormat_ == nullptr || createContextAttribs_ == nullptr ||
        deviceContext_ == nullptr) {
        g_logger->write(LogPlatform, "Unable to create the window without the bootstrap context");
        return false;
    }

    copySettings(settings, settings_);
    const DrawableSize drawable = drawableSizeFor(settings_);
    drawableWidth_ = drawable.width;
    drawableHeight_ = drawable.height;

    const auto& display = settings_.monitorInfo.rcMonitor;
    const bool fullscreen = settings_.fullscreen;
    const DWORD style = fullscreen ? fullScreenStyle : windowedStyle;
    int x = CW_USEDEFAULT, y = CW_USEDEFAULT, width = 0, height = 0;
    if (fullscreen) {
        x = display.left;
        y = display.top;
        width = display.right - display.left;
        height = display.bottom - display.top;
    } else {
        RECT outer = {0, 0, settings_.width, settings_.height};
        AdjustWindowRectEx(&outer, style, FALSE, extendedStyle);
        width = outer.right - outer.left;
        height = outer.bottom - outer.top;
    }

    int format = 0;
    UINT formatCount = 0;
    if (!attempt(Step::ChooseRealPixelFormat) ||
        !choosePixelFormat_(deviceContext_, pixelFormatAttributes, nullptr, 1, &format,
                            &formatCount) ||
        formatCount == 0)
        return fail(Step::ChooseRealPixelFormat);

    // A window's pixel format is set once for its lifetime: the real format needs a new window.
    wglMakeCurrent(deviceContext_, nullptr);
    ReleaseDC(window_, deviceContext_);
    deviceContext_ = nullptr;
    wglDeleteContext(renderingContext_);
    renderingContext_ = nullptr;
    DestroyWindow(window_);
    window_ = nullptr;

    if (attempt(Step::CreateVisibleWindow))
        window_ = CreateWindowExW(extendedStyle, windowName, windowName, style, x, y, width, height,
                                  nullptr, nullptr, moduleInstance(), this);
    if (window_ == nullptr)
        return fail(Step::CreateVisibleWindow);
    if (attempt(Step::GetWindowDeviceContext))
        deviceContext_ = GetDC(window_);
    if (deviceContext_ == nullptr)
        return fail(Step::GetWindowDeviceContext);

    // Shown and in front before the mode changes. Windows may refuse the foreground to a window
    // made after the launcher closed and flash its taskbar button instead: the keypress on "Demo"
    // entitles this process to ask for it only until the user touches another program. The mode
    // is switched only for a show in front, and before the context is made, so that the context
    // is made for the window at its final size.
    if (fullscreen) {
        ShowCursor(FALSE);
        cursorHidden_ = true;
    }
    ShowWindow(window_, SW_SHOW);
    if (!SetForegroundWindow(window_))
        g_logger->write(LogDriver, "Windows kept the foreground from the show: full screen waits "
                                   "for the user to bring it to the front");
    SetFocus(window_);
    if (switchesDisplayMode() && !modeKeeper_.start())
        return fail(Step::SwitchDisplayMode);

    // The descriptor is informational here: the index alone selects the format.
    const PIXELFORMATDESCRIPTOR descriptor = legacyPixelFormat();
    if (!attempt(Step::SetRealPixelFormat) || !SetPixelFormat(deviceContext_, format, &descriptor))
        return fail(Step::SetRealPixelFormat);
    if (attempt(Step::CreateRealContext))
        renderingContext_ = createContextAttribs_(deviceContext_, nullptr, contextRequest_);
    if (renderingContext_ == nullptr)
        return fail(Step::CreateRealContext);
    if (!attempt(Step::MakeRealContextCurrent) ||
        !wglMakeCurrent(deviceContext_, renderingContext_))
        return fail(Step::MakeRealContextCurrent);
    glewInit();

    logDriverString(GL_VENDOR);
    logDriverString(GL_RENDERER);
    logDriverString(GL_VERSION);
    if (!offersRequiredOpenGl())
        return false;

    applySwapInterval(settings_.vsync, WGLEW_EXT_swap_control_tear != 0, wglSwapIntervalEXT);

    encodesSrgb = windowEncodesSrgb();
    glEnable(GL_CULL_FACE);
    return true;
}

bool OpenGLWindow::switchesDisplayMode() const {
    return settings_.fullscreen && !settings_.gpuScale;
}

bool OpenGLWindow::isForeground() {
    return GetForegroundWindow() == window_;
}

bool OpenGLWindow::switchMode() {
    if (!attempt(Step::SwitchDisplayMode))
        return false;
    const auto& display = settings_.monitorInfo.rcMonitor;
    DEVMODEA mode = {};
    mode.dmSize = sizeof mode;
    mode.dmDriverExtra = 0;
    mode.dmFields = DM_POSITION | DM_PELSWIDTH | DM_PELSHEIGHT;
    mode.dmPosition.x = display.left;
    mode.dmPosition.y = display.top;
    mode.dmPelsWidth = settings_.width;
    mode.dmPelsHeight = settings_.height;
    return ChangeDisplaySettingsExA(settings_.deviceName.c_str(), &mode, nullptr, CDS_FULLSCREEN,
                                    nullptr) == DISP_CHANGE_SUCCESSFUL;
}

void OpenGLWindow::restoreModes() {
    ChangeDisplaySettingsExA(nullptr, nullptr, nullptr, 0, nullptr);
}

void OpenGLWindow::minimize() {
    ShowWindow(window_, SW_SHOWMINNOACTIVE);
}

void OpenGLWindow::cover(bool switched) {
    // Made maximized, the window would restore to the rectangle it was made with, the desktop
    // mode's (also when the taskbar's restore command comes after this): it becomes a normal
    // window over the display as it is now.
    const auto& display = settings_.monitorInfo.rcMonitor;
    const int width = switched ? settings_.width : display.right - display.left;
    const int height = switched ? settings_.height : display.bottom - display.top;
    WINDOWPLACEMENT placement = {};
    placement.length = sizeof placement;
    GetWindowPlacement(window_, &placement);
    placement.flags = 0;
    placement.showCmd = SW_SHOWNOACTIVATE;
    placement.rcNormalPosition = {display.left, display.top, display.left + width,
                                  display.top + height};
    SetWindowPlacement(window_, &placement);
    SetWindowPos(window_, HWND_TOP, display.left, display.top, width, height, SWP_NOACTIVATE);
}

void OpenGLWindow::postRecheck() {
    PostMessageW(window_, recheckActivationMessage, 0, 0);
}
