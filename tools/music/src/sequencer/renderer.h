#pragma once

#include "sequencer/song_model.h"

#include <cstdint>
#include <vector>

namespace music {

struct StereoBuffer {
    std::vector<float> left;
    std::vector<float> right;
};

// Gain applied to pumped tracks `samplesSinceKick` after a kick: a fast dip
// and a curved recovery over a quarter note, the familiar sidechain breathing.
float duckGain(std::int64_t samplesSinceKick);

// Plays every track of the song into one stereo mix, sample-accurately: a
// note at step s starts on sample stepToSample(s).
StereoBuffer renderSong(Song& song);

} // namespace music
