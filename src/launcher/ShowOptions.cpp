#include "launcher/ShowOptions.h"

#include <cstdlib>
#include <cstring>

namespace {

const char help[] =
    "usage: show [OPTION]...\n"
    "The show, full screen on the first display unless told otherwise. The options are the\n"
    "launcher's choices, with its entries and defaults (--list shows this machine's):\n"
    "  --display N|NAME      the display, by its number in the list or its name\n"
    "  --resolution WxH      what the picture is rendered at; full screen scales it to the\n"
    "                        display's own mode (default: that mode, or 1280x720 windowed)\n"
    "  --aspect W:H          4:3, 16:9, 16:10 or 5:4 (default: the resolution's nearest)\n"
    "  --filtering N|LABEL   the texture filtering entry (default 1, Trilinear)\n"
    "  --antialiasing N|LABEL  the antialiasing entry, e.g. \"MSAA 4x\" (default 0, None)\n"
    "  --windowed            a window instead of full screen\n"
    "  --no-vsync            frames as fast as they come instead of at the display's rate\n"
    "  --list                the entries this machine offers, then exit\n"
    "  --help                this text, then exit\n"
    "Escape or closing the window ends the show. Exit codes: 0 when it ran or was left, 1 when\n"
    "it could not start, 2 for an option this machine does not offer.\n";

std::string joined(const std::vector<ByteString>& entries) {
    std::string text;
    for (const ByteString& entry : entries)
        text += (text.empty() ? "" : ", ") + std::string(entry.c_str());
    return text;
}

std::string sizeText(const Resolution& size) {
    return std::to_string(size.width) + "x" + std::to_string(size.height);
}

std::string resolutionsText(const std::vector<Resolution>& list) {
    std::string text;
    for (const Resolution& size : list)
        text += (text.empty() ? "" : ", ") + sizeText(size);
    return text.empty() ? "none" : text;
}

// The index of value among entries: by label, or as a number below their count; -1 if neither.
int entryIndex(const char* value, const std::vector<ByteString>& entries) {
    for (std::size_t i = 0; i < entries.size(); ++i)
        if (std::strcmp(value, entries[i].c_str()) == 0)
            return static_cast<int>(i);
    char* end = nullptr;
    const long number = std::strtol(value, &end, 10);
    const bool whole = *value >= '0' && *value <= '9' && *end == '\0';
    return whole && number < static_cast<long>(entries.size()) ? static_cast<int>(number) : -1;
}

// "WxH" with whole numbers of up to five digits.
bool parseSize(const char* text, Resolution& size) {
    const std::size_t width = std::strspn(text, "0123456789");
    if (width == 0 || width > 5 || text[width] != 'x')
        return false;
    const char* rest = text + width + 1;
    const std::size_t height = std::strspn(rest, "0123456789");
    if (height == 0 || height > 5 || rest[height] != '\0')
        return false;
    size = {static_cast<std::uint32_t>(std::atoi(text)),
            static_cast<std::uint32_t>(std::atoi(rest))};
    return true;
}

ShowOptions refused(std::string line) {
    ShowOptions result;
    result.action = ShowOptions::Action::Refused;
    result.text = "show: " + line;
    return result;
}

} // namespace

ShowOptions parseShowOptions(int argc, const char* const* argv, DisplaySystem* system,
                             const GraphicsLimits* graphics) {
    const char* displayOption = nullptr;
    const char* resolutionOption = nullptr;
    const char* aspectOption = nullptr;
    const char* filteringOption = "1";
    const char* antialiasingOption = "0";
    bool windowed = false, vsync = true, list = false;
    for (int i = 1; i < argc; ++i) {
        const std::string option = argv[i];
        const char** value = option == "--display"        ? &displayOption
                             : option == "--resolution"   ? &resolutionOption
                             : option == "--aspect"       ? &aspectOption
                             : option == "--filtering"    ? &filteringOption
                             : option == "--antialiasing" ? &antialiasingOption
                                                          : nullptr;
        if (value != nullptr) {
            if (i + 1 == argc)
                return refused(option + " needs a value (see --help)");
            *value = argv[++i];
        } else if (option == "--windowed") {
            windowed = true;
        } else if (option == "--no-vsync") {
            vsync = false;
        } else if (option == "--list") {
            list = true;
        } else if (option == "--help") {
            ShowOptions result;
            result.action = ShowOptions::Action::Help;
            result.text = help;
            return result;
        } else {
            return refused("no option \"" + option + "\" (see --help)");
        }
    }

    if (system == nullptr || graphics == nullptr)
        return ShowOptions{};
    DisplaySystem& displays = *system;
    MonitorMap monitors;
    displays.gatherMonitors(monitors);
    const std::vector<DisplayEntry> displayList = listDisplays(displays, monitors);
    const std::vector<ByteString> filtering = filteringEntries(*graphics);
    const AntialiasingEntries antialiasing = antialiasingEntries(*graphics);
    // Full screen is impossible without a display; a window still works.
    windowed = windowed || displayList.empty();

    if (list) {
        ShowOptions result;
        result.action = ShowOptions::Action::List;
        std::string& text = result.text;
        for (std::size_t i = 0; i < displayList.size(); ++i) {
            const ResolutionList sizes =
                listResolutions(displays, displayList[i].deviceName, true, true);
            text += "display " + std::to_string(i + 1) + ": " + displayList[i].label.c_str() +
                    ", at " + sizeText(sizes.preferred) +
                    "\n  full-screen resolutions: " + resolutionsText(sizes.entries) + "\n";
        }
        text += "windowed resolutions: " +
                resolutionsText(listResolutions(displays, ByteString(), false, false).entries) +
                "\naspects: ";
        for (std::size_t i = 0; i < aspectRatioCount; ++i)
            text += std::string(i == 0 ? "" : ", ") + aspectRatios[i].label;
        text += "\nfiltering: " + joined(filtering) +
                "\nantialiasing: " + joined(antialiasing.labels) + "\n";
        return result;
    }

    ShowOptions result;
    LauncherChoices& choices = result.choices;
    choices.fullscreen = !windowed;
    choices.gpuScale = true;
    choices.vsync = vsync;
    if (choices.fullscreen || displayOption != nullptr) {
        // By number (1 is the first, as --list counts) or by name.
        std::size_t display = 0;
        if (displayOption != nullptr) {
            display = displayList.size();
            for (std::size_t i = 0; i < displayList.size(); ++i)
                if (displayList[i].deviceName == displayOption ||
                    std::to_string(i + 1) == displayOption)
                    display = i;
            if (display == displayList.size())
                return refused("no display \"" + std::string(displayOption) +
                               "\": this machine has " + std::to_string(displayList.size()) +
                               " (see --list)");
        }
        choices.chosenDisplay = displayList[display].deviceName;
        choices.chosenMonitor = monitors.find(choices.chosenDisplay)->second;
    }
    const ResolutionList sizes =
        listResolutions(displays, choices.chosenDisplay, choices.fullscreen, true);
    if (resolutionOption != nullptr) {
        const bool offered =
            parseSize(resolutionOption, choices.chosenResolution) && !sizes.entries.empty() &&
            sizes.entries[preferredIndex(sizes.entries, choices.chosenResolution)] ==
                choices.chosenResolution;
        if (!offered)
            return refused("no resolution \"" + std::string(resolutionOption) + "\" " +
                           (choices.fullscreen ? "on that display" : "in a window") +
                           ": it offers " + resolutionsText(sizes.entries));
    } else if (choices.fullscreen) {
        // The display's own mode, as the dialog preselects it, even where the table lacks it.
        choices.chosenResolution = sizes.preferred;
    } else {
        choices.chosenResolution = sizes.entries[preferredIndex(sizes.entries, sizes.preferred)];
    }
    if (choices.chosenResolution.width == 0 || choices.chosenResolution.height == 0)
        return refused("the display's mode cannot be read");
    choices.chosenAspect = aspectRatios[guessAspect(choices.chosenResolution)].value;
    if (aspectOption != nullptr) {
        std::size_t i = 0;
        while (i < aspectRatioCount && std::strcmp(aspectOption, aspectRatios[i].label) != 0)
            ++i;
        if (i == aspectRatioCount)
            return refused("no aspect \"" + std::string(aspectOption) +
                           "\": 4:3, 16:9, 16:10 or 5:4");
        choices.chosenAspect = aspectRatios[i].value;
    }
    choices.filteringIndex = entryIndex(filteringOption, filtering);
    if (choices.filteringIndex < 0)
        return refused("no filtering entry \"" + std::string(filteringOption) +
                       "\": this GL offers " + joined(filtering));
    choices.antialiasingIndex = entryIndex(antialiasingOption, antialiasing.labels);
    if (choices.antialiasingIndex < 0)
        return refused("no antialiasing entry \"" + std::string(antialiasingOption) +
                       "\": this GL offers " + joined(antialiasing.labels));
    choices.antialiasingValues = antialiasing.values;
    return result;
}
