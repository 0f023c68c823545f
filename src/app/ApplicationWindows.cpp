// The show's own start-up and frame loop: the launcher, the music and the performance counter.
#include "app/Application.h"

#include "app/FrameLoop.h"
#include "app/Schedule.h"
#include "app/ShowClock.h"
#include "diagnostics/Logger.h"
#include "launcher/Launcher.h"

namespace {

// How long a minimized show sleeps between looks at its messages.
constexpr DWORD minimizedWaitMilliseconds = 100;

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
    // From here on driver identification (level 1) and every failure are written.
    g_logger->minimumLevel = 1;

    // The hidden bootstrap window and legacy context load WGL and GLEW.
    window = new OpenGLWindow;
    if (!window->initExtensions())
        return StartResult::Failed;

    // The "Intro" dialog fills the settings, or the user leaves.
    switch (Launcher::run(window, settings)) {
    case LauncherResult::Confirmed:
        break;
    case LauncherResult::Left:
        return StartResult::UserLeft;
    case LauncherResult::Failed:
        return StartResult::Failed;
    }

    // The real window and context, then everything the picture draws with.
    if (!window->createWindow(settings) || !initRendering())
        return StartResult::Failed;

    // The whole track is read and the sound buffer primed before the show starts.
    if (!music.open(fileSystem, window->windowHandle()))
        return StartResult::Failed;

    return initScenes() ? StartResult::Ready : StartResult::Failed;
}

void Application::run() {
    // The feeder and the looping buffer start before the clock's first reading, so the music
    // is slightly ahead of the first frame rather than behind it.
    music.start();
    ShowClock clock;
    clock.start(performanceCounter());
    runFrameLoop([&] {
        // Minimized, nobody sees a frame: wait for the restore (or Escape) instead of drawing.
        // The clock reads the counter when drawing resumes, so that frame is of the show's time.
        if (IsIconic(window->windowHandle())) {
            MsgWaitForMultipleObjects(0, nullptr, FALSE, minimizedWaitMilliseconds, QS_ALLINPUT);
            return;
        }
        const double seconds = clock.advance(performanceCounter(), performanceFrequency());
        drawFrame(singlePrecisionShowTime(seconds));
        SwapBuffers(window->deviceContext());
    });
}
