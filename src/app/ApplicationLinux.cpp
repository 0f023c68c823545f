// The native show's own start-up and frame loop: its options, SDL's events and the monotonic
// clock. Linked into the show alone, with the SDL window.
#include "app/Application.h"

#include "app/Schedule.h"
#include "app/ShowClock.h"
#include "audio/AlsaMusicPlayer.h"
#include "launcher/SdlDisplaySystem.h"
#include "launcher/ShowOptions.h"

#include <SDL.h>

#include <cstdio>

StartResult Application::init(int argc, const char* const* argv) {
    // The hidden window and its context first: the options are judged against what this
    // machine's displays and GL offer, as the dialog's entries are.
    window = new OpenGLWindow;
    if (!window->initExtensions())
        return StartResult::Failed;
    SdlDisplaySystem displays;
    const GraphicsLimits limits = queryGraphicsLimits();
    const ShowOptions options = parseShowOptions(argc, argv, &displays, &limits);
    switch (options.action) {
    case ShowOptions::Action::Run:
        break;
    case ShowOptions::Action::List:
    case ShowOptions::Action::Help:
        std::fputs(options.text.c_str(), stdout);
        return StartResult::UserLeft;
    case ShowOptions::Action::Refused:
        std::fprintf(stderr, "%s\n", options.text.c_str());
        return StartResult::Refused;
    }
    writeSettings(options.choices, settings);

    if (!window->createWindow(settings) || !initRendering())
        return StartResult::Failed;
    return initScenes() ? StartResult::Ready : StartResult::Failed;
}

void Application::run(AlsaMusicPlayer& music) {
    auto* shown = static_cast<SDL_Window*>(window->sdlWindow());
    // The music's clock (the monotonic one) is the show's: show time 0 is when the track's first
    // frame was heard.
    const auto counter = [] { return static_cast<std::int64_t>(AlsaMusicPlayer::microseconds()); };
    const std::int64_t frequency = 1000000;
    ShowClock clock;
    clock.start(static_cast<std::int64_t>(music.start()));
    for (;;) {
        SDL_Event event;
        while (SDL_PollEvent(&event) != 0) {
            // The window's close button ends SDL's last window: SDL_QUIT.
            if (event.type == SDL_QUIT ||
                (event.type == SDL_KEYDOWN && event.key.keysym.sym == SDLK_ESCAPE))
                return;
            if (event.type == SDL_WINDOWEVENT && event.window.event == SDL_WINDOWEVENT_SIZE_CHANGED)
                window->followDrawableSize();
        }
        // Minimized, nobody sees a frame: wait for the restore (or Escape) instead of drawing.
        if ((SDL_GetWindowFlags(shown) & SDL_WINDOW_MINIMIZED) != 0) {
            SDL_WaitEventTimeout(nullptr, 100);
            continue;
        }
        drawFrame(singlePrecisionShowTime(clock.advance(counter(), frequency)));
        SDL_GL_SwapWindow(shown);
    }
}
