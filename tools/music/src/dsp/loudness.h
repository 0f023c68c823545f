#pragma once

#include <vector>

namespace music::dsp {

// Gated integrated loudness (LUFS) of a stereo take as ITU-R BS.1770 and
// EBU R128 define it: K-weighting, 400 ms blocks with 75 % overlap, an
// absolute gate at -70 LUFS and a relative gate 10 LU below.
// Returns -infinity for silence.
double integratedLoudness(const std::vector<float>& left, const std::vector<float>& right,
                          int sampleRate);

} // namespace music::dsp
