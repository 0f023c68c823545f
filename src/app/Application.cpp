#include "app/Application.h"

#include "app/Schedule.h"
#include "diagnostics/Format.h"
#include "diagnostics/Logger.h"
#include "launcher/LauncherChoices.h"
#include "render/ScreenQuad.h"

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

FrameOutput Application::output() const {
    if (offscreenOutput.framebuffer != 0)
        return offscreenOutput;
    return FrameOutput{window->framebuffer(), window->drawableWidth(), window->drawableHeight(),
                       window->encodesSrgb};
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
