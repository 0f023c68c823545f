#pragma once

#include "sequencer/song_model.h"

#include <string_view>
#include <vector>

namespace music {

// MIDI number of a note name such as "A4" (69), "C#5" or "Bb2". Throws
// std::invalid_argument for anything else.
float noteNumber(std::string_view name);

// A monophonic line written as "A5/3 E5/3 -/2 ...": note name (or "-" for a
// rest) and its length in sixteenths. Notes start at `startStep` and follow
// one another.
std::vector<Note> melody(double startStep, std::string_view text, float velocity,
                         float transpose = 0.0f);

// One character per sixteenth: 'X' accent, 'x' normal hit, 'o' ghost
// (soft) hit, '.' rest. Spaces and '|' are ignored so bars and beats can be
// laid out for reading.
std::vector<Note> rhythm(double startStep, std::string_view grid, float pitch, float velocity,
                         double lengthSteps);

// Total length of a melody line in sixteenths.
double melodyLength(std::string_view text);

} // namespace music
