#include "sequencer/timing.h"
#include "song/soundtrack.h"

#include <cstdio>

namespace music {

namespace {

// GLSL reads "120" as an int; every constant here is a float.
std::string glslFloat(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.6g", value);
    std::string result = text;
    if (result.find_first_of(".e") == std::string::npos)
        result += ".0";
    return result;
}

std::string constant(const char* name, double value) {
    return std::string("const float ") + name + " = " + glslFloat(value) + ";\n";
}

} // namespace

std::string formAsGlsl(const Song& song) {
    std::string text = "// The track's form, written by tools/music (synth --glsl-form); the music "
                       "tool's tests\n// hold this copy to the song.\n";
    text += constant("kBeatsPerMinute", kBeatsPerMinute);
    text += constant("kBeatsPerBar", kBeatsPerBar);
    for (const form::Mark& mark : form::kMarks)
        text += constant(mark.name, mark.bar);
    text += constant("kTrackSeconds", song.seconds);
    return text + "// End of the track's form.\n";
}

} // namespace music
