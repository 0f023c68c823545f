// The window and context on a real driver: Wine's WGL over Mesa llvmpipe, on an X server whose
// display modes really switch (Xorg's dummy driver; one monitor, or two where SHOW_MONITORS=2).
#include "platform/OpenGLWindow.h"

#include "diagnostics/Logger.h"

#include "support/LogRecorder.h"
#include "support/OpenGLWindowClass.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

// Reaches the test seam and the state the public interface does not show.
struct OpenGLWindowFaults {
    using Step = OpenGLWindow::Step;
    static void failAt(OpenGLWindow& window, Step step) { window.failingStep_ = step; }
    static bool displayModeChanged(const OpenGLWindow& window) {
        return window.modeKeeper_.switched();
    }
    static void bootstrapVersion(OpenGLWindow& window, const char* version) {
        window.bootstrapVersion_ = version;
    }
    // What the real context is asked for; the list must outlive the window's use of it.
    static void requestContext(OpenGLWindow& window, const int* attributes) {
        window.contextRequest_ = attributes;
    }
};
using Step = OpenGLWindowFaults::Step;

namespace {

BOOL CALLBACK collectShowWindow(HWND window, LPARAM list) {
    wchar_t name[64] = {};
    GetClassNameW(window, name, 64);
    if (std::wstring(name) == L"OpenGL")
        reinterpret_cast<std::vector<HWND>*>(list)->push_back(window);
    return TRUE;
}

// The windows of class "OpenGL" this thread owns, shown or not.
std::vector<HWND> showWindows() {
    std::vector<HWND> found;
    EnumThreadWindows(GetCurrentThreadId(), collectShowWindow, reinterpret_cast<LPARAM>(&found));
    return found;
}

std::wstring title(HWND window) {
    wchar_t text[64] = {};
    GetWindowTextW(window, text, 64);
    return text;
}

// The cursor's display counter: shown while it is 0 or more.
int cursorCounter() {
    const int counter = ShowCursor(TRUE);
    ShowCursor(FALSE);
    return counter - 1;
}

MONITORINFOEXA primaryMonitor() {
    MONITORINFOEXA info = {};
    info.cbSize = sizeof info;
    GetMonitorInfoA(MonitorFromPoint(POINT{0, 0}, MONITOR_DEFAULTTOPRIMARY), &info);
    return info;
}

DEVMODEA currentMode(const char* device = nullptr) {
    DEVMODEA mode = {};
    mode.dmSize = sizeof mode;
    EnumDisplaySettingsA(device, ENUM_CURRENT_SETTINGS, &mode);
    return mode;
}

RECT windowRect(HWND window) {
    RECT outer = {};
    GetWindowRect(window, &outer);
    return outer;
}

void expectRect(const RECT& actual, long left, long top, long right, long bottom) {
    EXPECT_EQ(actual.left, left);
    EXPECT_EQ(actual.top, top);
    EXPECT_EQ(actual.right, right);
    EXPECT_EQ(actual.bottom, bottom);
}

DisplaySettings windowed(bool vsync = true) {
    DisplaySettings settings{};
    settings.width = 1280;
    settings.height = 720;
    settings.vsync = vsync;
    settings.aspect = 16.0f / 9.0f;
    settings.filtering = 1;
    return settings;
}

// Full screen at 1280 x 720 on a monitor (the primary by default), scaled by the GPU or switched
// to that mode, as the launcher fills it in.
DisplaySettings fullScreen(bool gpuScale, const MONITORINFOEXA& monitor = primaryMonitor()) {
    DisplaySettings settings = windowed();
    settings.fullscreen = true;
    settings.gpuScale = gpuScale;
    settings.deviceName = ByteString(monitor.szDevice);
    settings.monitorInfo = monitor;
    return settings;
}

// Removes a quit message a test caused and reports whether there was one. Only WM_QUIT is
// looked at: a visible window keeps a WM_PAINT pending that PeekMessage never removes.
bool takeQuitMessage() {
    MSG message;
    bool quit = false;
    while (PeekMessageW(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE))
        quit = true;
    return quit;
}

class OpenGLWindowTest : public ::testing::Test {
  protected:
    void SetUp() override {
        takeQuitMessage();
        cursorBefore = cursorCounter();
        modeBefore = currentMode();
    }
    void TearDown() override {
        // Whatever a test did, nothing of the window may outlive the object.
        EXPECT_TRUE(showWindows().empty());
        EXPECT_FALSE(openGLClassRegistered());
        EXPECT_EQ(wglGetCurrentContext(), nullptr);
        EXPECT_EQ(cursorCounter(), cursorBefore);
        const DEVMODEA mode = currentMode();
        EXPECT_EQ(mode.dmPelsWidth, modeBefore.dmPelsWidth);
        EXPECT_EQ(mode.dmPelsHeight, modeBefore.dmPelsHeight);
        // A test that left a monitor switched must not spoil the next one.
        if (mode.dmPelsWidth != modeBefore.dmPelsWidth ||
            mode.dmPelsHeight != modeBefore.dmPelsHeight)
            ChangeDisplaySettingsExA(nullptr, nullptr, nullptr, 0, nullptr);
    }

    LogRecorder logger;
    int cursorBefore = 0;
    DEVMODEA modeBefore = {};
};

} // namespace

TEST_F(OpenGLWindowTest, BootstrapIsHiddenAndLoadsTheEntryPoints) {
    {
        IntrusivePointer<OpenGLWindow> window(new OpenGLWindow);
        EXPECT_EQ(window->windowHandle(), nullptr);
        ASSERT_TRUE(window->initExtensions());

        const std::vector<HWND> windows = showWindows();
        ASSERT_EQ(windows.size(), 1u);
        EXPECT_EQ(windows[0], window->windowHandle());
        EXPECT_FALSE(IsWindowVisible(windows[0]));
        EXPECT_EQ(title(windows[0]), L"OpenGL");
        EXPECT_TRUE(openGLClassRegistered());

        // A current context with GLEW's entry points, ready for the launcher's queries.
        EXPECT_NE(wglGetCurrentContext(), nullptr);
        EXPECT_EQ(wglGetCurrentDC(), window->deviceContext());
        EXPECT_NE(glGetString(GL_VERSION), nullptr);
        EXPECT_NE(glGenFramebuffers, nullptr);
        EXPECT_NE(wglChoosePixelFormatARB, nullptr);
        EXPECT_TRUE(logger.lines().empty()) << "driver strings belong to the real context";
    }
    // Leaving the launcher ends here: teardown of the bootstrap alone (checked in TearDown).
}

TEST_F(OpenGLWindowTest, WindowedHasExactlyTheChosenClientAreaAndARealContext) {
    IntrusivePointer<OpenGLWindow> window(new OpenGLWindow);
    ASSERT_TRUE(window->initExtensions());
    const HWND bootstrap = window->windowHandle();
    ASSERT_TRUE(window->createWindow(windowed()));

    const std::vector<HWND> windows = showWindows();
    ASSERT_EQ(windows.size(), 1u) << "the bootstrap window is gone";
    const HWND shown = windows[0];
    EXPECT_EQ(shown, window->windowHandle());
    EXPECT_FALSE(IsWindow(bootstrap));
    EXPECT_TRUE(IsWindowVisible(shown));
    EXPECT_EQ(title(shown), L"OpenGL");
    const LONG style = GetWindowLongW(shown, GWL_STYLE);
    EXPECT_EQ(style & WS_CAPTION, WS_CAPTION);
    EXPECT_EQ(style & WS_POPUP, 0);

    RECT client = {};
    GetClientRect(shown, &client);
    EXPECT_EQ(client.right - client.left, 1280);
    EXPECT_EQ(client.bottom - client.top, 720);
    EXPECT_EQ(window->drawableWidth(), 1280);
    EXPECT_EQ(window->drawableHeight(), 720);
    EXPECT_FALSE(OpenGLWindowFaults::displayModeChanged(*window));
    EXPECT_EQ(cursorCounter(), cursorBefore) << "the cursor stays visible in a window";

    // The context is current on the visible window's device context.
    EXPECT_EQ(wglGetCurrentDC(), window->deviceContext());
    EXPECT_EQ(WindowFromDC(window->deviceContext()), shown);
    GLint profile = 0;
    glGetIntegerv(GL_CONTEXT_PROFILE_MASK, &profile);
    EXPECT_NE(profile & GL_CONTEXT_COMPATIBILITY_PROFILE_BIT, 0);
    EXPECT_TRUE(glIsEnabled(GL_FRAMEBUFFER_SRGB));
    EXPECT_TRUE(glIsEnabled(GL_CULL_FACE));

    // The chosen pixel format: double-buffered and sRGB-capable.
    const int format = GetPixelFormat(window->deviceContext());
    ASSERT_GT(format, 0);
    const int attributes[] = {WGL_DOUBLE_BUFFER_ARB, WGL_FRAMEBUFFER_SRGB_CAPABLE_ARB,
                              WGL_DRAW_TO_WINDOW_ARB, WGL_SAMPLES_ARB};
    int values[4] = {};
    ASSERT_TRUE(
        wglGetPixelFormatAttribivARB(window->deviceContext(), format, 0, 4, attributes, values));
    EXPECT_EQ(values[0], 1);
    EXPECT_EQ(values[1], 1);
    EXPECT_EQ(values[2], 1);
    EXPECT_LE(values[3], 1) << "the default framebuffer is single-sampled";

    ASSERT_NE(wglGetSwapIntervalEXT, nullptr);
    EXPECT_EQ(wglGetSwapIntervalEXT(), 1) << "no tear control here: plain vertical sync";

    // The three driver strings, each its own level-1 message ending in a line break.
    const auto text = [](GLenum name) {
        return std::string(reinterpret_cast<const char*>(glGetString(name))) + "\n";
    };
    const std::vector<LogLine> expected = {
        {1, text(GL_VENDOR)}, {1, text(GL_RENDERER)}, {1, text(GL_VERSION)}};
    EXPECT_EQ(logger.lines(), expected);
}

TEST_F(OpenGLWindowTest, WithoutVerticalSyncTheSwapIntervalIsZero) {
    IntrusivePointer<OpenGLWindow> window(new OpenGLWindow);
    ASSERT_TRUE(window->initExtensions());
    ASSERT_TRUE(window->createWindow(windowed(false)));
    ASSERT_NE(wglGetSwapIntervalEXT, nullptr);
    EXPECT_EQ(wglGetSwapIntervalEXT(), 0);
}

TEST_F(OpenGLWindowTest, GpuScaledFullScreenCoversTheDisplayInItsOwnMode) {
    const DisplaySettings settings = fullScreen(true);
    const RECT display = settings.monitorInfo.rcMonitor;
    {
        IntrusivePointer<OpenGLWindow> window(new OpenGLWindow);
        ASSERT_TRUE(window->initExtensions());
        ASSERT_TRUE(window->createWindow(settings));

        EXPECT_EQ(window->drawableWidth(), display.right - display.left);
        EXPECT_EQ(window->drawableHeight(), display.bottom - display.top);
        EXPECT_NE(window->drawableWidth(), settings.width) << "the display is not 1280 wide";
        EXPECT_FALSE(OpenGLWindowFaults::displayModeChanged(*window));

        const HWND shown = window->windowHandle();
        EXPECT_TRUE(IsWindowVisible(shown));
        EXPECT_NE(GetWindowLongW(shown, GWL_STYLE) & WS_POPUP, 0);
        RECT outer = {};
        GetWindowRect(shown, &outer);
        EXPECT_EQ(outer.left, display.left);
        EXPECT_EQ(outer.top, display.top);
        EXPECT_EQ(outer.right, display.right);
        EXPECT_EQ(outer.bottom, display.bottom);
        EXPECT_EQ(cursorCounter(), cursorBefore - 1) << "hidden over the show";
    }
    // Shown again at teardown although no mode was switched (checked in TearDown).
}

TEST_F(OpenGLWindowTest, SwitchedFullScreenChangesTheModeAndRestoresItAtTeardown) {
    const DisplaySettings settings = fullScreen(false);
    ASSERT_EQ(modeBefore.dmPelsWidth, 1920u) << "the test display starts at 1920 x 1080";
    {
        IntrusivePointer<OpenGLWindow> window(new OpenGLWindow);
        ASSERT_TRUE(window->initExtensions());
        ASSERT_TRUE(window->createWindow(settings));
        EXPECT_TRUE(OpenGLWindowFaults::displayModeChanged(*window));
        EXPECT_EQ(window->drawableWidth(), 1280);
        EXPECT_EQ(window->drawableHeight(), 720);
        const DEVMODEA mode = currentMode();
        EXPECT_EQ(mode.dmPelsWidth, 1280u);
        EXPECT_EQ(mode.dmPelsHeight, 720u);
        // The window covers the switched display exactly, not the rectangle it had before.
        expectRect(windowRect(window->windowHandle()), 0, 0, 1280, 720);
        RECT client = {};
        GetClientRect(window->windowHandle(), &client);
        expectRect(client, 0, 0, 1280, 720);
        expectRect(primaryMonitor().rcMonitor, 0, 0, 1280, 720);
        EXPECT_EQ(cursorCounter(), cursorBefore - 1);
    }
    // Back at 1920 x 1080: checked in TearDown.
}

TEST_F(OpenGLWindowTest, AModeTheDisplayCannotTakeFailsAfterTheBootstrapIsGone) {
    DisplaySettings settings = fullScreen(false);
    settings.width = 1234;
    settings.height = 567;
    IntrusivePointer<OpenGLWindow> window(new OpenGLWindow);
    ASSERT_TRUE(window->initExtensions());
    EXPECT_FALSE(window->createWindow(settings));
    EXPECT_FALSE(OpenGLWindowFaults::displayModeChanged(*window));
    const std::vector<LogLine> expected = {
        {4, std::string("Unable to switch the display mode of ") + settings.deviceName.c_str() +
                " to 1234 x 567"}};
    EXPECT_EQ(logger.lines(), expected);
}

// The driver really refuses the context (no OpenGL 99 anywhere): the step is named, and what
// was built up to it goes at teardown.
TEST_F(OpenGLWindowTest, AContextTheDriverRefusesIsNamed) {
    const int impossible[] = {WGL_CONTEXT_MAJOR_VERSION_ARB, 99, WGL_CONTEXT_MINOR_VERSION_ARB, 0,
                              0};
    {
        IntrusivePointer<OpenGLWindow> window(new OpenGLWindow);
        OpenGLWindowFaults::requestContext(*window, impossible);
        ASSERT_TRUE(window->initExtensions());
        EXPECT_FALSE(window->createWindow(windowed()));
        EXPECT_EQ(showWindows().size(), 1u);
        EXPECT_EQ(wglGetCurrentContext(), nullptr);
    }
    const std::vector<LogLine> expected = {{4, "Unable to create the OpenGL context"}};
    EXPECT_EQ(logger.lines(), expected);
}

// Microsoft's GL 1.1 (the basic display adapter, Remote Desktop) has no WGL extension either: its
// version must be the sentence, not the missing entry points.
TEST_F(OpenGLWindowTest, ABootstrapOnGl11SaysWhichOpenGlTheShowNeeds) {
    {
        IntrusivePointer<OpenGLWindow> window(new OpenGLWindow);
        OpenGLWindowFaults::bootstrapVersion(*window, "1.1.0");
        EXPECT_FALSE(window->initExtensions());
    }
    const std::vector<LogLine> expected = {
        {4, "This computer's OpenGL driver does not offer OpenGL 3.3, which the show needs (it "
            "offers 1.1.0)"}};
    EXPECT_EQ(logger.lines(), expected);
}

TEST_F(OpenGLWindowTest, CreatingWithoutABootstrapFailsAndLeavesNothing) {
    IntrusivePointer<OpenGLWindow> window(new OpenGLWindow);
    EXPECT_FALSE(window->createWindow(windowed()));
    EXPECT_TRUE(showWindows().empty());
    const std::vector<LogLine> expected = {
        {4, "Unable to create the window without the bootstrap context"}};
    EXPECT_EQ(logger.lines(), expected);
}

TEST_F(OpenGLWindowTest, EscapeAndCloseQuitWhileOtherKeysAreSwallowed) {
    IntrusivePointer<OpenGLWindow> window(new OpenGLWindow);
    ASSERT_TRUE(window->initExtensions());
    // The bootstrap window answers like the visible one.
    EXPECT_EQ(SendMessageW(window->windowHandle(), WM_KEYDOWN, VK_ESCAPE, 0), 0);
    EXPECT_TRUE(takeQuitMessage());

    ASSERT_TRUE(window->createWindow(windowed()));
    const HWND shown = window->windowHandle();
    for (const WPARAM key : {WPARAM('A'), WPARAM(VK_SPACE), WPARAM(VK_RETURN), WPARAM(VK_F1),
                             WPARAM(VK_F4), WPARAM(VK_TAB)}) {
        EXPECT_EQ(SendMessageW(shown, WM_KEYDOWN, key, 0), 0);
        EXPECT_FALSE(takeQuitMessage()) << "key " << key;
    }

    EXPECT_EQ(SendMessageW(shown, WM_CLOSE, 0, 0), 0);
    EXPECT_TRUE(takeQuitMessage());
    EXPECT_TRUE(IsWindow(shown)) << "closing only asks the frame loop to end";

    // The caption's close button arrives as a system command.
    SendMessageW(shown, WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_TRUE(takeQuitMessage());

    EXPECT_EQ(SendMessageW(shown, WM_KEYDOWN, VK_ESCAPE, 0), 0);
    EXPECT_TRUE(takeQuitMessage());
    EXPECT_TRUE(IsWindow(shown));
}

// The line each failing step writes.
std::string stepLine(Step step, const DisplaySettings& settings) {
    switch (step) {
    case Step::None:
        break;
    case Step::RegisterWindowClass:
        return "Unable to register the window class";
    case Step::CreateBootstrapWindow:
        return "Unable to create the bootstrap window";
    case Step::GetBootstrapDeviceContext:
        return "Unable to get the bootstrap window's device context";
    case Step::ChooseLegacyPixelFormat:
        return "Unable to choose a pixel format for the bootstrap window";
    case Step::SetLegacyPixelFormat:
        return "Unable to set the bootstrap window's pixel format";
    case Step::CreateLegacyContext:
        return "Unable to create the bootstrap OpenGL context";
    case Step::MakeLegacyContextCurrent:
        return "Unable to make the bootstrap OpenGL context current";
    case Step::LoadEntryPoints:
        return "Unable to load wglChoosePixelFormatARB and wglCreateContextAttribsARB";
    case Step::ChooseRealPixelFormat:
        return "Unable to choose a pixel format for the window";
    case Step::CreateVisibleWindow:
        return "Unable to create the window";
    case Step::GetWindowDeviceContext:
        return "Unable to get the window's device context";
    case Step::SwitchDisplayMode:
        return std::string("Unable to switch the display mode of ") + settings.deviceName.c_str() +
               " to " + std::to_string(settings.width) + " x " + std::to_string(settings.height);
    case Step::SetRealPixelFormat:
        return "Unable to set the window's pixel format";
    case Step::CreateRealContext:
        return "Unable to create the OpenGL context";
    case Step::MakeRealContextCurrent:
        return "Unable to make the OpenGL context current";
    }
    return "";
}

std::string stepName(const ::testing::TestParamInfo<Step>& info) {
    static const char* const names[] = {
        "None",
        "RegisterWindowClass",
        "CreateBootstrapWindow",
        "GetBootstrapDeviceContext",
        "ChooseLegacyPixelFormat",
        "SetLegacyPixelFormat",
        "CreateLegacyContext",
        "MakeLegacyContextCurrent",
        "LoadEntryPoints",
        "ChooseRealPixelFormat",
        "CreateVisibleWindow",
        "GetWindowDeviceContext",
        "SwitchDisplayMode",
        "SetRealPixelFormat",
        "CreateRealContext",
        "MakeRealContextCurrent",
    };
    return names[static_cast<int>(info.param)];
}

// A failure at each step names that step, and teardown leaves nothing: the class is
// unregistered.
class FailedStart : public OpenGLWindowTest, public ::testing::WithParamInterface<Step> {};

TEST_P(FailedStart, NamesTheStepAndLeavesNoWindowAndNoClass) {
    const Step step = GetParam();
    const bool inCreateWindow = step >= Step::ChooseRealPixelFormat;
    const DisplaySettings settings =
        step == Step::SwitchDisplayMode ? fullScreen(false) : windowed();
    {
        IntrusivePointer<OpenGLWindow> window(new OpenGLWindow);
        OpenGLWindowFaults::failAt(*window, step);
        if (inCreateWindow) {
            ASSERT_TRUE(window->initExtensions());
            EXPECT_FALSE(window->createWindow(settings));
        } else {
            EXPECT_FALSE(window->initExtensions());
        }
        // The failure left exactly what the earlier steps built.
        const bool windowExists =
            step > Step::CreateBootstrapWindow && step != Step::CreateVisibleWindow;
        EXPECT_EQ(showWindows().size(), windowExists ? 1u : 0u);
        EXPECT_EQ(openGLClassRegistered(), step != Step::RegisterWindowClass);
        EXPECT_EQ(wglGetCurrentContext() != nullptr,
                  step == Step::LoadEntryPoints || step == Step::ChooseRealPixelFormat);
        const std::vector<LogLine> expected = {{4, stepLine(step, settings)}};
        EXPECT_EQ(logger.lines(), expected);
    }
}

INSTANTIATE_TEST_SUITE_P(EachStep, FailedStart,
                         ::testing::Values(Step::RegisterWindowClass, Step::CreateBootstrapWindow,
                                           Step::GetBootstrapDeviceContext,
                                           Step::ChooseLegacyPixelFormat,
                                           Step::SetLegacyPixelFormat, Step::CreateLegacyContext,
                                           Step::MakeLegacyContextCurrent, Step::LoadEntryPoints,
                                           Step::ChooseRealPixelFormat, Step::CreateVisibleWindow,
                                           Step::GetWindowDeviceContext, Step::SwitchDisplayMode,
                                           Step::SetRealPixelFormat, Step::CreateRealContext,
                                           Step::MakeRealContextCurrent),
                         stepName);

TEST_F(OpenGLWindowTest, AClassAlreadyTakenIsNotUnregisteredByTheLoser) {
    // Someone else's class "OpenGL": registration fails, and teardown must leave it alone.
    ASSERT_TRUE(takeOpenGLClass());
    {
        IntrusivePointer<OpenGLWindow> window(new OpenGLWindow);
        EXPECT_FALSE(window->initExtensions());
    }
    const std::vector<LogLine> expected = {{4, "Unable to register the window class"}};
    EXPECT_EQ(logger.lines(), expected);
    EXPECT_TRUE(openGLClassRegistered());
    UnregisterClassW(L"OpenGL", GetModuleHandleW(nullptr));
}

// A desktop of two monitors: 1920 x 1080 at (0, 0) and 1280 x 1024 right of it. The suite runs
// once more on such a desktop with SHOW_MONITORS=2; elsewhere these tests are skipped.
class TwoMonitors : public OpenGLWindowTest {
  protected:
    void SetUp() override {
        const bool expected = std::getenv("SHOW_MONITORS") != nullptr &&
                              std::string(std::getenv("SHOW_MONITORS")) == "2";
        if (GetSystemMetrics(SM_CMONITORS) != 2) {
            ASSERT_FALSE(expected) << GetSystemMetrics(SM_CMONITORS) << " monitor(s), not 2";
            GTEST_SKIP() << "one monitor";
        }
        OpenGLWindowTest::SetUp();
        second.cbSize = sizeof second;
        ASSERT_TRUE(
            GetMonitorInfoA(MonitorFromPoint(POINT{1920, 0}, MONITOR_DEFAULTTONULL), &second));
        secondBefore = currentMode(second.szDevice);
    }
    void TearDown() override {
        if (IsSkipped())
            return;
        const DEVMODEA mode = currentMode(second.szDevice);
        EXPECT_EQ(mode.dmPelsWidth, secondBefore.dmPelsWidth);
        EXPECT_EQ(mode.dmPelsHeight, secondBefore.dmPelsHeight);
        OpenGLWindowTest::TearDown();
    }

    MONITORINFOEXA second = {};
    DEVMODEA secondBefore = {};
};

TEST_F(TwoMonitors, SwitchedFullScreenOnTheSecondSwitchesOnlyItAndCoversItExactly) {
    expectRect(second.rcMonitor, 1920, 0, 3200, 1024);
    DisplaySettings settings = fullScreen(false, second);
    settings.width = 1024;
    settings.height = 768;
    {
        IntrusivePointer<OpenGLWindow> window(new OpenGLWindow);
        ASSERT_TRUE(window->initExtensions());
        ASSERT_TRUE(window->createWindow(settings));
        const DEVMODEA mode = currentMode(second.szDevice);
        EXPECT_EQ(mode.dmPelsWidth, 1024u);
        EXPECT_EQ(mode.dmPelsHeight, 768u);
        expectRect(windowRect(window->windowHandle()), 1920, 0, 1920 + 1024, 768);
        const DEVMODEA primary = currentMode();
        EXPECT_EQ(primary.dmPelsWidth, 1920u) << "the first monitor is not touched";
        EXPECT_EQ(primary.dmPelsHeight, 1080u);
    }
    // The second monitor back at 1280 x 1024: checked in TearDown.
}

TEST_F(TwoMonitors, GpuScaledFullScreenOnTheSecondCoversItInItsOwnMode) {
    const DisplaySettings settings = fullScreen(true, second);
    {
        IntrusivePointer<OpenGLWindow> window(new OpenGLWindow);
        ASSERT_TRUE(window->initExtensions());
        ASSERT_TRUE(window->createWindow(settings));
        EXPECT_FALSE(OpenGLWindowFaults::displayModeChanged(*window));
        EXPECT_EQ(window->drawableWidth(), 1280);
        EXPECT_EQ(window->drawableHeight(), 1024);
        expectRect(windowRect(window->windowHandle()), 1920, 0, 3200, 1024);
    }
}
