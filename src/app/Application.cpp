#include "app/Application.h"

#include "app/FrameLoop.h"
#include "app/Schedule.h"
#include "app/ShowClock.h"
#include "diagnostics/Logger.h"

namespace {

// Stands in for the launcher's record until the "Intro" dialog fills it: a 1280 x 720 window
// with vertical sync, 16:9, trilinear filtering and no antialiasing.
void useBuiltInSettings(DisplaySettings& settings) {
    settings.width = 1280;
    settings.height = 720;
    settings.fullscreen = false;
    settings.vsync = true;
    settings.gpuScale = false;
    settings.aspect = 16.0f / 9.0f;
    settings.filtering = 1;
    settings.coverageSampling = false;
    settings.antialiasingLevel = 0;
}

std::int64_t performanceCounter() {
    LARGE_INTEGER value;
    QueryPerformanceCounter(&value);
    return value.QuadPart;
}

std::int64_t performanceFrequency() {
    LARGE_INTEGER value;
    QueryPerformanceFrequency(&value);
    return value.QuadPart;
}

} // namespace

StartResult Application::init() {
    // Step 1: from here on driver identification (level 1) and every failure are written.
    g_logger->minimumLevel = 1;

    // Steps 2-3: the hidden bootstrap window and legacy context load WGL and GLEW.
    window = new OpenGLWindow;
    if (!window->initExtensions())
        return StartResult::Failed;

    // Step 4: the launcher joins here. It fills the settings from the "Intro" dialog and reports
    // StartResult::UserLeft when the user leaves with "Die".
    useBuiltInSettings(settings);

    // Step 5: the real window and context.
    if (!window->createWindow(settings))
        return StartResult::Failed;

    // Steps 6-7: render targets renderTargetA and renderTargetB join here.
    // Steps 8-10: the file system over "Data" and the texture and shader loaders join here.
    // Steps 11-12: the screen quad and simpleProgram join here.
    // Step 13: the music player opens the track here.
    // Steps 14-15: tunnelScene and textScene initialise here.
    return StartResult::Ready;
}

void Application::run() {
    // Steps 1-2: the music feeder thread and the looping sound buffer start here, before the
    // clock's first reading.
    ShowClock clock;
    clock.start(performanceCounter());
    runFrameLoop([&] {
        const double seconds = clock.advance(performanceCounter(), performanceFrequency());
        drawFrame(singlePrecisionShowTime(seconds));
        SwapBuffers(window->deviceContext());
    });
}

void Application::drawFrame(float showTime) {
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, 0);
    const ScheduledScene scene = sceneAt(showTime);
    // The scenes join here: update(showTime) and render() of textScene or tunnelScene. Until
    // then each scene's frames are cleared to a colour of its own; the clear colour goes back
    // to transparent black, which everything else relies on.
    if (scene == ScheduledScene::Text)
        glClearColor(0.85f, 0.8f, 0.7f, 1.0f);
    else
        glClearColor(0.05f, 0.1f, 0.3f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
}
