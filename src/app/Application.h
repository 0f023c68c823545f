#pragma once

#include "core/DisplaySettings.h"
#include "core/IntrusivePointer.h"
#include "platform/OpenGLWindow.h"

// How start-up ended. Leaving the launcher is the user's choice, not a failure.
enum class StartResult { Ready, UserLeft, Failed };

// Process exit code: a failed start-up must not look like success to whoever started the show.
inline int exitCodeFor(StartResult result) {
    return result == StartResult::Failed ? 1 : 0;
}

// Owns every long-lived object of the show. Members are declared in start-up order and so
// released in reverse, with the window (and its context) last, after every GL object.
class Application {
  public:
    Application() = default;
    Application(const Application&) = delete;
    Application& operator=(const Application&) = delete;

    StartResult init();
    // The frame loop; returns when the quit message arrives.
    void run();

    // What the launcher chose; width and height are the render resolution.
    DisplaySettings settings{};
    IntrusivePointer<OpenGLWindow> window;
    // fileSystem, textureLoader, shaderLoader, renderTargetA, renderTargetB, simpleProgram,
    // quadVertexArray, quadBuffer, music, tunnelScene and textScene join here, in that order,
    // as their subsystems land.

  private:
    void drawFrame(float showTime);
};
