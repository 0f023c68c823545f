#include "launcher/Launcher.h"

#include "diagnostics/Format.h"
#include "diagnostics/Logger.h"
#include "launcher/LauncherResource.h"
#include "launcher/Win32DisplaySystem.h"

#include <utility>

LauncherResult Launcher::run(IntrusivePointer<OpenGLWindow> window, DisplaySettings& settings) {
    Win32DisplaySystem displays;
    return run(std::move(window), settings, LauncherSources{displays, queryGraphicsLimits});
}

LauncherResult Launcher::run(IntrusivePointer<OpenGLWindow> window, DisplaySettings& settings,
                             const LauncherSources& sources) {
    Launcher launcher(std::move(window), sources);
    const INT_PTR result =
        DialogBoxParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_INTRO), nullptr, dialogProc,
                        reinterpret_cast<LPARAM>(&launcher));
    // -1 (or 0, which the dialog itself never ends with): it could not be made, so nobody
    // chose to leave.
    if (result == -1 || result == 0) {
        g_logger->write(LogPlatform, "Unable to create the launcher dialog");
        return LauncherResult::Failed;
    }
    if (result != IDOK)
        return LauncherResult::Left;
    writeSettings(launcher.choices, settings);
    return LauncherResult::Confirmed;
}

Launcher::Launcher(IntrusivePointer<OpenGLWindow> window, const LauncherSources& sources)
    : window(std::move(window)), displays(sources.displays),
      graphicsLimits(sources.graphicsLimits) {}

INT_PTR CALLBACK Launcher::dialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        // A pointer-sized slot: the 32-bit SetWindowLong would cut the pointer on x64.
        SetWindowLongPtrW(dialog, DWLP_USER, lParam);
        auto* launcher = reinterpret_cast<Launcher*>(lParam);
        launcher->dialog = dialog;
        launcher->onInitDialog();
        return TRUE;
    }
    // Null for the few messages that come before WM_INITDIALOG (WM_SETFONT among them).
    auto* launcher = reinterpret_cast<Launcher*>(GetWindowLongPtrW(dialog, DWLP_USER));
    if (launcher == nullptr)
        return FALSE;
    switch (message) {
    case WM_CLOSE:
        EndDialog(dialog, IDCANCEL);
        return TRUE;
    case WM_COMMAND:
        return launcher->onCommand(LOWORD(wParam), HIWORD(wParam)) ? TRUE : FALSE;
    default:
        return FALSE;
    }
}

bool Launcher::onCommand(int id, int notification) {
    switch (id) {
    case IDOK:
        // Refused while a choice it needs is missing; "Demo" is disabled then anyway.
        if (collectSelections())
            EndDialog(dialog, IDOK);
        return true;
    case IDCANCEL:
        EndDialog(dialog, IDCANCEL);
        return true;
    case IDC_FULLSCREEN:
        if (notification != BN_CLICKED)
            return false;
        // GPU scaling only means something in full screen; its tick stays for when it returns.
        enable(IDC_GPU_SCALE, checked(IDC_FULLSCREEN));
        fillResolutions();
        return true;
    case IDC_GPU_SCALE:
        if (notification != BN_CLICKED)
            return false;
        fillResolutions();
        return true;
    case IDC_DISPLAY:
        if (notification != CBN_SELCHANGE)
            return false;
        fillResolutions();
        return true;
    case IDC_RESOLUTION:
        if (notification != CBN_SELCHANGE)
            return false;
        fillAspects();
        return true;
    default:
        return false;
    }
}

void Launcher::onInitDialog() {
    send(IDC_VSYNC, BM_SETCHECK, BST_CHECKED);
    send(IDC_FULLSCREEN, BM_SETCHECK, BST_CHECKED);
    displays.gatherMonitors(monitors);
    fillDisplays();
    fillFiltering();
    fillAntialiasing();
}

void Launcher::fillDisplays() {
    send(IDC_DISPLAY, CB_RESETCONTENT);
    displayNames.clear();
    for (DisplayEntry& entry : listDisplays(displays, monitors)) {
        addEntry(IDC_DISPLAY, entry.label.c_str());
        displayNames.push_back(std::move(entry.deviceName));
    }
    const bool anyDisplay = !displayNames.empty();
    if (anyDisplay)
        send(IDC_DISPLAY, CB_SETCURSEL, 0);
    else
        send(IDC_FULLSCREEN, BM_SETCHECK, BST_UNCHECKED);
    // Without a display full screen is impossible; the windowed list still works.
    enable(IDC_DISPLAY, anyDisplay);
    enable(IDC_FULLSCREEN, anyDisplay);
    enable(IDC_GPU_SCALE, checked(IDC_FULLSCREEN));
    fillResolutions();
}

void Launcher::fillResolutions() {
    send(IDC_RESOLUTION, CB_RESETCONTENT);
    resolutions.clear();
    const bool fullscreen = checked(IDC_FULLSCREEN);
    const bool gpuScale = checked(IDC_GPU_SCALE);
    const int display = selection(IDC_DISPLAY, displayNames.size());
    ResolutionList list;
    if (!fullscreen || display >= 0) {
        list = listResolutions(displays, fullscreen ? displayNames[display] : ByteString(),
                               fullscreen, gpuScale);
    }
    resolutions = std::move(list.entries);
    ByteString text;
    for (const Resolution& resolution : resolutions) {
        assignFormat(text, "%u x %u", static_cast<unsigned>(resolution.width),
                     static_cast<unsigned>(resolution.height));
        addEntry(IDC_RESOLUTION, text.c_str());
    }
    if (!resolutions.empty())
        send(IDC_RESOLUTION, CB_SETCURSEL, preferredIndex(resolutions, list.preferred));
    // Nothing to start with until a resolution can be chosen.
    enable(IDOK, !resolutions.empty());
    fillAspects();
}

void Launcher::fillAspects() {
    send(IDC_ASPECT, CB_RESETCONTENT);
    for (const AspectRatio& ratio : aspectRatios)
        addEntry(IDC_ASPECT, ratio.label);
    const int resolution = selection(IDC_RESOLUTION, resolutions.size());
    if (resolution >= 0)
        send(IDC_ASPECT, CB_SETCURSEL, guessAspect(resolutions[resolution]));
}

void Launcher::fillFiltering() {
    int previous = 1;
    if (entryCount(IDC_FILTERING) > 0)
        previous = static_cast<int>(send(IDC_FILTERING, CB_GETCURSEL));
    send(IDC_FILTERING, CB_RESETCONTENT);
    const std::vector<ByteString> entries = filteringEntries(graphicsLimits());
    for (const ByteString& entry : entries)
        addEntry(IDC_FILTERING, entry.c_str());
    if (previous < 0 || static_cast<std::size_t>(previous) >= entries.size())
        previous = 1;
    send(IDC_FILTERING, CB_SETCURSEL, previous);
}

void Launcher::fillAntialiasing() {
    send(IDC_ANTIALIASING, CB_RESETCONTENT);
    const AntialiasingEntries entries = antialiasingEntries(graphicsLimits());
    for (const ByteString& entry : entries.labels)
        addEntry(IDC_ANTIALIASING, entry.c_str());
    send(IDC_ANTIALIASING, CB_SETCURSEL, 0);
    choices.antialiasingValues = entries.values;
}

bool Launcher::collectSelections() {
    LauncherChoices collected = choices;
    const int resolution = selection(IDC_RESOLUTION, resolutions.size());
    const int aspect = selection(IDC_ASPECT, aspectRatioCount);
    const int filtering = selection(IDC_FILTERING, entryCount(IDC_FILTERING));
    const int antialiasing = selection(IDC_ANTIALIASING, entryCount(IDC_ANTIALIASING));
    if (resolution < 0 || aspect < 0 || filtering < 0 || antialiasing < 0)
        return false;
    collected.chosenResolution = resolutions[resolution];
    collected.filteringIndex = filtering;
    collected.antialiasingIndex = antialiasing;
    collected.chosenAspect = aspectRatios[aspect].value;
    collected.fullscreen = checked(IDC_FULLSCREEN);
    if (collected.fullscreen) {
        const int display = selection(IDC_DISPLAY, displayNames.size());
        if (display < 0)
            return false;
        // Present: only displays with a monitor of their name are listed.
        const auto monitor = monitors.find(displayNames[display]);
        if (monitor == monitors.end())
            return false;
        collected.chosenDisplay = displayNames[display];
        collected.chosenMonitor = monitor->second;
    }
    collected.vsync = checked(IDC_VSYNC);
    // Read even while disabled; the window ignores it when not in full screen.
    collected.gpuScale = checked(IDC_GPU_SCALE);
    choices = std::move(collected);
    return true;
}

LRESULT Launcher::send(int control, UINT message, WPARAM wParam, LPARAM lParam) const {
    return SendDlgItemMessageW(dialog, control, message, wParam, lParam);
}

bool Launcher::checked(int control) const {
    return send(control, BM_GETCHECK) == BST_CHECKED;
}

void Launcher::enable(int control, bool enabled) const {
    EnableWindow(GetDlgItem(dialog, control), enabled ? TRUE : FALSE);
}

std::size_t Launcher::entryCount(int control) const {
    const LRESULT count = send(control, CB_GETCOUNT);
    return count > 0 ? static_cast<std::size_t>(count) : 0;
}

int Launcher::selection(int control, std::size_t count) const {
    const LRESULT index = send(control, CB_GETCURSEL);
    return index >= 0 && static_cast<std::size_t>(index) < count ? static_cast<int>(index) : -1;
}

void Launcher::addEntry(int control, const char* text) const {
    // The entries are single-byte text.
    SendDlgItemMessageA(dialog, control, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text));
}
