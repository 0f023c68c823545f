#include "app/Application.h"
#include "audio/AlsaMusicPlayer.h"
#include "diagnostics/StderrLogger.h"
#include "launcher/ShowOptions.h"

#include <SDL.h>

#include <cstdio>
#include <cstring>

namespace {

// Started from a menu, the show has no terminal: with a display, a failed start says so in a box
// too, with the failure's own line.
void showStartFailure(const StderrLogger& logger) {
    if (logger.lastFailure().empty())
        g_logger->write(LogPlatform, "The show could not start");
    // Without a display there is nobody to see a box. The window left SDL's video up for it.
    if (!OpenGLWindow::displayNamed() || SDL_WasInit(SDL_INIT_VIDEO) == 0)
        return;
    const char* driver = SDL_GetCurrentVideoDriver();
    if (driver != nullptr && std::strcmp(driver, "offscreen") != 0 &&
        std::strcmp(driver, "dummy") != 0)
        SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_ERROR, "Intro", logger.lastFailure().c_str(),
                                 nullptr);
}

} // namespace

int main(int argc, char** argv) {
    // --help and options of the wrong form are answered before any display is opened.
    const ShowOptions form = parseShowOptions(argc, argv, nullptr, nullptr);
    if (form.action == ShowOptions::Action::Help) {
        std::fputs(form.text.c_str(), stdout);
        return 0;
    }
    if (form.action == ShowOptions::Action::Refused) {
        std::fprintf(stderr, "%s\n", form.text.c_str());
        return exitCodeFor(StartResult::Refused);
    }

    // Failures, one line each, plainly.
    auto* logger = new StderrLogger(LogFile, false);
    g_logger = logger;
    StartResult result;
    {
        // Destroyed before the exit code is returned: the window goes with it.
        Application application;
        result = application.init(argc, argv);
        // The whole track is read and the sound buffer primed before the show starts.
        AlsaMusicPlayer music;
        if (result == StartResult::Ready && !music.open(application.fileSystem))
            result = StartResult::Failed;
        if (result == StartResult::Ready)
            application.run(music);
    }
    if (result == StartResult::Failed)
        showStartFailure(*logger);
    SDL_Quit();
    return exitCodeFor(result);
}
