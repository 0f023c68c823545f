#include "app/Application.h"

#include "app/FrameLoop.h"
#include "app/Schedule.h"
#include "app/ShowClock.h"
#include "diagnostics/Format.h"
#include "diagnostics/Logger.h"
#include "launcher/Launcher.h"
#include "launcher/LauncherChoices.h"
#include "render/ScreenQuad.h"

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

bool Application::initPicture(const DisplaySettings& chosen) {
    window = new OpenGLWindow;
    if (!window->initExtensions())
        return false;
    settings = chosen;
    return window->createWindow(settings) && initRendering() && initScenes();
}

bool Application::initRendering() {
    // At the chosen resolution, not the window's drawable size: GPU scaling stretches later.
    // Only the cubes are drawn multisampled; the tunnel goes into the first target's
    // single-sample framebuffer, so multisampled buffers there would be memory for nothing.
    DisplaySettings singleSampled(settings);
    singleSampled.coverageSampling = false;
    singleSampled.antialiasingLevel = 0;
    if (!renderTargetA.init(singleSampled, settings.width, settings.height) ||
        !initMultisampledTarget())
        return false;

    fileSystem = new FileSystem;
    {
        // Constructing it makes the executable's directory current, so "Data" is beside it.
        IntrusivePointer<LocalFileSystem> local(new LocalFileSystem);
        local->addRoot("Data");
        local->initialise();
        fileSystem->mount(local);
    }
    textureLoader = new TextureLoader(fileSystem);
    shaderLoader = new ShaderLoader(fileSystem);

    createScreenQuad(quadBuffer, quadVertexArray);
    if (!shaderLoader->buildProgram("Shaders/simple.vsh", "Shaders/simple.fsh", simpleProgram))
        return false;
    glUseProgram(simpleProgram.name());
    glUniform1i(glGetUniformLocation(simpleProgram.name(), "tex"), 0);
    return true;
}

bool Application::initMultisampledTarget() {
    // A driver may refuse a count its limits allowed (per format, per size, per memory): fewer
    // samples beat no show.
    const AntialiasingValue chosen{settings.coverageSampling, settings.antialiasingLevel};
    AntialiasingValue value = chosen;
    while (!renderTargetB.build(settings, settings.width, settings.height)) {
        if (!lowerAntialiasing(value, value)) {
            reportIncompleteFramebuffer();
            return false;
        }
        settings.coverageSampling = value.coverageSampling;
        settings.antialiasingLevel = value.level;
    }
    if (value.coverageSampling != chosen.coverageSampling || value.level != chosen.level)
        g_logger->write(LogDriver, formatString("Antialiasing %s is not complete on this GL: %s "
                                                "instead",
                                                antialiasingLabel(chosen).c_str(),
                                                antialiasingLabel(value).c_str())
                                       .c_str());
    return true;
}

bool Application::initScenes() {
    return tunnelScene.init(*this) && textScene.init(*this);
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

FrameOutput Application::output() const {
    if (offscreenOutput.framebuffer != 0)
        return offscreenOutput;
    return FrameOutput{0, window->drawableWidth(), window->drawableHeight(), window->encodesSrgb};
}

void Application::drawFrame(float showTime) {
    // The text scene draws over whatever viewport it finds, so it must be the output's.
    const FrameOutput target = output();
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, target.framebuffer);
    glViewport(0, 0, target.width, target.height);
    Scene& scene = sceneAt(showTime) == ScheduledScene::Text ? static_cast<Scene&>(textScene)
                                                             : static_cast<Scene&>(tunnelScene);
    scene.update(static_cast<double>(showTime));
    scene.render();
}
