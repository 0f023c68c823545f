#pragma once

#include "sequencer/renderer.h"

namespace music {

struct MasterSettings {
    double targetLufs = -14.0;
    // Sample peak ceiling before encoding; Vorbis overshoots it by up to
    // about a decibel, so this sits well under the -1 dBTP delivery limit.
    double ceilingDb = -2.0;
    // Only the last whisper of the reverb tail is faded, so the file ends on
    // digital silence instead of a truncated tail.
    double tailFadeSeconds = 0.5;
};

struct MasterReport {
    double gainDb = 0.0;
    double loudnessLufs = 0.0;
    double samplePeakDb = 0.0;
};

// DC removal, make-up gain towards the loudness target, bus saturation and a
// look-ahead brickwall limiter. The gain is found iteratively because
// limiting costs loudness.
MasterReport master(StereoBuffer& mix, const MasterSettings& settings);

double peakDb(const StereoBuffer& buffer);

} // namespace music
