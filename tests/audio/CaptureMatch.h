#pragma once

#include "AudioTestSupport.h"

#include <string>

// Finds a decoded stereo track in raw PCM captured from a sound device, wherever the device
// started it and whatever rate and sample format the device used (32-bit float or 16-bit
// integer, 48 or 44.1 kHz: the capture is resampled to the track's rate), then checks it half a
// second at a time by correlation, each channel against its own. Silence a device inserted
// between two half seconds (it ran dry) is allowed and counted; lost sound is not.
struct CaptureMatch {
    std::string format; // how the capture was read
    std::size_t captureFrames = 0;
    std::size_t start = 0;     // the track's first frame in the capture, at the track's rate
    double startScore = 0;     // correlation of the track's first half second there
    double silenceBefore = 0;  // RMS of the capture before the start
    double matchedSeconds = 0; // the track's start found in order, in whole segments
    double worstSegment = 1;   // the lowest correlation of a segment with sound in it
    int gaps = 0;              // stretches of silence inserted into the track
    double gapSeconds = 0;     // their total length
    double silenceAfter = -1;  // RMS after the track's end; -1 if the capture ends sooner
};

CaptureMatch matchCapture(const Bytes& raw, const Decoded& track);
