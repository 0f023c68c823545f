// Checks that raw PCM captured from a sound device is a track, from its start:
//   audio_capture_check CAPTURE.raw TRACK.ogg [SECONDS]
// Exit status 0 when the track's start is found and at least SECONDS of it (default 5, or all
// the capture holds) play in order; the figures go to standard output either way.
#include "AudioTestSupport.h"
#include "CaptureMatch.h"

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

bool readFile(std::string path, Bytes& bytes) {
#if defined(_WIN32)
    if (!path.empty() && path[0] == '/')
        path = "Z:" + path; // under Wine the Unix root is drive Z:
#endif
    FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr)
        return false;
    std::uint8_t chunk[65536];
    for (std::size_t n; (n = std::fread(chunk, 1, sizeof chunk, file)) > 0;)
        bytes.insert(bytes.end(), chunk, chunk + n);
    std::fclose(file);
    return true;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s CAPTURE.raw TRACK.ogg [SECONDS]\n", argv[0]);
        return 2;
    }
    Bytes capture, ogg;
    if (!readFile(argv[1], capture) || !readFile(argv[2], ogg)) {
        std::fprintf(stderr, "cannot read the capture or the track\n");
        return 2;
    }
    const double wanted = argc > 3 ? std::atof(argv[3]) : 5.0;
    const Decoded track = decodeWhole(ogg);
    const CaptureMatch m = matchCapture(capture, track);
    const double captured =
        m.captureFrames > m.start
            ? double(m.captureFrames - m.start) / (track.sampleRate ? track.sampleRate : 1)
            : 0;
    std::printf("capture read as %s; track starts at %.3f s (score %.4f), silence before "
                "%.5f RMS; %.1f s matched in order (worst segment %.4f, %d silent gap(s) of "
                "%.3f s in all) of %.1f s captured\n",
                m.format.c_str(), double(m.start) / (track.sampleRate ? track.sampleRate : 1),
                m.startScore, m.silenceBefore, m.matchedSeconds, m.worstSegment, m.gaps,
                m.gapSeconds, captured);
    const double needed = std::min(wanted, captured - 0.5);
    const bool ok = m.startScore > 0.9 && m.silenceBefore < 0.001 && m.matchedSeconds >= needed;
    std::printf("%s\n", ok ? "the capture is the track" : "the capture is NOT the track");
    return ok ? 0 : 1;
}
