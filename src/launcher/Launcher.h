#pragma once

#include "core/DisplaySettings.h"
#include "core/IntrusivePointer.h"
#include "launcher/DisplayEnumeration.h"
#include "launcher/LauncherChoices.h"
#include "platform/OpenGLWindow.h"

#include <vector>
#include <windows.h>

// Where the dialog's lists come from: the desktop and the current OpenGL context in the product,
// recorded results in tests.
struct LauncherSources {
    DisplaySystem& displays;
    GraphicsLimits (*graphicsLimits)();
};

// How the dialog ended: the user's choice, or a dialog that never opened (which is logged).
enum class LauncherResult { Confirmed, Left, Failed };

// The modal "Intro" dialog (resource 101, launcher.rc) in which the user picks the display
// settings before the show starts.
class Launcher {
  public:
    // Needs a current OpenGL context: the filtering and antialiasing lists come from its limits.
    // `settings` is written only when the user pressed "Demo" (Confirmed).
    static LauncherResult run(IntrusivePointer<OpenGLWindow> window, DisplaySettings& settings);
    static LauncherResult run(IntrusivePointer<OpenGLWindow> window, DisplaySettings& settings,
                              const LauncherSources& sources);

  private:
    Launcher(IntrusivePointer<OpenGLWindow> window, const LauncherSources& sources);

    static INT_PTR CALLBACK dialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
    bool onCommand(int id, int notification);
    void onInitDialog();
    void fillDisplays();
    void fillResolutions();
    void fillAspects();
    void fillFiltering();
    void fillAntialiasing();
    // False, leaving the choices alone, while a list the choice needs has no selected entry.
    bool collectSelections();

    LRESULT send(int control, UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const;
    bool checked(int control) const;
    void enable(int control, bool enabled) const;
    std::size_t entryCount(int control) const;
    // The selected index when it names one of `count` entries, else -1.
    int selection(int control, std::size_t count) const;
    void addEntry(int control, const char* text) const;

    // Held while the dialog runs; declared first so that it is released last.
    IntrusivePointer<OpenGLWindow> window;
    HWND dialog = nullptr;
    std::vector<ByteString> displayNames;
    std::vector<Resolution> resolutions;
    MonitorMap monitors;
    LauncherChoices choices;
    DisplaySystem& displays;
    GraphicsLimits (*graphicsLimits)();
};
