// Renders the show's soundtrack to a 16-bit stereo WAV file, or with --glsl-form prints the
// song's form for the tunnel's shaders.
#include "output/master.h"
#include "output/wav.h"
#include "sequencer/renderer.h"
#include "sequencer/timing.h"
#include "song/soundtrack.h"

#include <cstdio>
#include <exception>
#include <string>

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s OUTPUT.wav | --glsl-form\n", argv[0]);
        return 2;
    }
    if (std::string(argv[1]) == "--glsl-form") {
        std::fputs(music::formAsGlsl(music::makeSoundtrack()).c_str(), stdout);
        return 0;
    }
    try {
        music::Song song = music::makeSoundtrack();
        music::StereoBuffer mix = music::renderSong(song);
        const music::MasterReport report = music::master(mix, {});
        const auto wav = music::encodeWav16(mix, music::kSampleRate, 0x5EEDu);
        if (!music::writeFile(argv[1], wav)) {
            std::fprintf(stderr, "cannot write %s\n", argv[1]);
            return 1;
        }
        std::printf("%s: %.2f s, make-up %+.2f dB, %.2f LUFS, peak %.2f dBFS\n", argv[1],
                    static_cast<double>(mix.left.size()) / music::kSampleRate, report.gainDb,
                    report.loudnessLufs, report.samplePeakDb);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "synth: %s\n", error.what());
        return 1;
    }
    return 0;
}
