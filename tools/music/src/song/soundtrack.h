#pragma once

#include "sequencer/song_model.h"

#include <string>

namespace music {

// Where the arrangement changes, in bars (a bar is 2 s; bar 16 starts at
// exactly 30 s, when the picture settles on the tunnel).
namespace form {
constexpr int kPadIntro = 1; // pad and a filtered arp
constexpr int kBassIn = 5;
constexpr int kBeatIn = 9;      // kick and offbeat hats
constexpr int kClapIn = 13;     // claps, closed hats, riser
constexpr int kFill = 15;       // snare roll, the kick drops out on beat 4
constexpr int kDrop = 16;       // full groove and the lead hook
constexpr int kBreakdown = 32;  // no drums: pad, bell hook, sub
constexpr int kBuild = 40;      // arp and filtered lead return
constexpr int kRoll = 44;       // snare roll and riser
constexpr int kSecondDrop = 48; // hook doubled an octave up
constexpr int kOutro = 64;      // groove without the lead
constexpr int kWindDown = 68;   // drums thin out, bell echoes the hook
constexpr int kFinalChord = 72; // last hit, left to ring

// The same by name, for what follows the music from outside it: the tunnel's shaders.
struct Mark {
    const char* name;
    int bar;
};
constexpr Mark kMarks[] = {
    {"kPadIntro", kPadIntro},     {"kBassIn", kBassIn}, {"kBeatIn", kBeatIn},
    {"kClapIn", kClapIn},         {"kFill", kFill},     {"kDrop", kDrop},
    {"kBreakdown", kBreakdown},   {"kBuild", kBuild},   {"kRoll", kRoll},
    {"kSecondDrop", kSecondDrop}, {"kOutro", kOutro},   {"kWindDown", kWindDown},
    {"kFinalChord", kFinalChord}};
} // namespace form

// The show's soundtrack: a melodic trance piece in A minor at 120 BPM.
Song makeSoundtrack();

// The tempo, the bars of the form and the song's length as GLSL constants, between the marker
// lines that tools/music/make-track.sh looks for in the tunnel's vertex shader.
std::string formAsGlsl(const Song& song);

} // namespace music
