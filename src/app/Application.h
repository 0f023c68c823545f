#pragma once

#ifdef _WIN32
#include "audio/MusicPlayer.h"
#endif
#include "core/DisplaySettings.h"
#include "core/IntrusivePointer.h"
#include "platform/OpenGLWindow.h"
#include "render/RenderTarget.h"
#include "resources/FileSystem.h"
#include "resources/GlHandles.h"
#include "resources/ShaderLoader.h"
#include "resources/TextureLoader.h"
#include "scenes/TextScene.h"
#include "scenes/TunnelScene.h"

// How start-up ended. Leaving the launcher is the user's choice, not a failure; natively, options
// this machine does not offer are refused (and --list or --help leave).
enum class StartResult { Ready, UserLeft, Failed, Refused };

// Process exit code: a failed start-up must not look like success to whoever started the show.
inline int exitCodeFor(StartResult result) {
    return result == StartResult::Failed ? 1 : result == StartResult::Refused ? 2 : 0;
}

// Where finished frames go. Framebuffer 0 is the window at its drawable size; a tool that reads
// frames back points it at an off-screen framebuffer of its own, of any size the GL renders.
struct FrameOutput {
    GLuint framebuffer = 0;
    int width = 0;
    int height = 0;
    // Whether the framebuffer encodes sRGB writes itself: off-screen ones do, a window may not.
    bool encodesSrgb = true;
};

// Owns every long-lived object of the show. Members are declared in start-up order and so
// released in reverse, with the window (and its context) last, after every GL object.
class Application {
  public:
    Application() = default;
    Application(const Application&) = delete;
    Application& operator=(const Application&) = delete;

#ifdef _WIN32
    StartResult init();
    // The frame loop; returns when the quit message arrives.
    void run();
#else
    // The native show (ApplicationLinux.cpp, linked into it alone): the options in place of the
    // launcher's dialog, then the picture as on Windows; the music is the show's own. The frame
    // loop returns on Escape or the window's close.
    StartResult init(int argc, const char* const* argv);
    // The music starts with the clock.
    void run(class AlsaMusicPlayer& music);
#endif

    // The picture alone, from settings chosen by the caller instead of the launcher, without
    // music or clock: for tools and tests that render chosen show times.
    bool initPicture(const DisplaySettings& chosen);
    // Draws the frame of one show time into the output (no swap).
    void drawFrame(float showTime);
    // The framebuffer and size frames are presented to: `offscreenOutput` when a tool set one,
    // else the window's (its back buffer, or natively its off-screen framebuffer).
    FrameOutput output() const;

    // What the launcher chose; width and height are the render resolution.
    DisplaySettings settings{};
    IntrusivePointer<OpenGLWindow> window;
    IntrusivePointer<FileSystem> fileSystem;
    IntrusivePointer<TextureLoader> textureLoader;
    IntrusivePointer<ShaderLoader> shaderLoader;
    RenderTarget renderTargetA;
    RenderTarget renderTargetB;
    ShaderProgram simpleProgram;
    VertexArray quadVertexArray;
    GpuBuffer quadBuffer;
#ifdef _WIN32
    MusicPlayer music;
#endif
    TunnelScene tunnelScene;
    TextScene textScene;
    // Owned by the tool that sets it; framebuffer 0 means the window.
    FrameOutput offscreenOutput;

  private:
    // Render targets, file system, loaders, screen quad and simple program.
    bool initRendering();
    // The second target at the chosen antialiasing, or the next lower that completes (the
    // settings then say which).
    bool initMultisampledTarget();
    bool initScenes();
};
