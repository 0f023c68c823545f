#pragma once

#include "launcher/DisplayEnumeration.h"
#include "launcher/LauncherChoices.h"

#include <string>

// The launcher's choices as command-line options, where the show runs without its dialog: the
// same entries and defaults, full screen always scaled by the GPU (no mode switch).
struct ShowOptions {
    enum class Action { Run, List, Help, Refused };
    Action action = Action::Run;
    LauncherChoices choices;
    // The refusal's one line, or the text --list and --help print.
    std::string text;
};

// argv[0] is the program. The displays, their modes and the GL's limits are what the dialog
// would offer on this machine. Without them (null) only the form is checked, before any display
// is opened: --help, unknown options and missing values; a Run result then holds no choices.
ShowOptions parseShowOptions(int argc, const char* const* argv, DisplaySystem* displays,
                             const GraphicsLimits* limits);
