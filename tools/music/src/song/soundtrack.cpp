#include "song/soundtrack.h"

#include "dsp/noise.h"
#include "instruments/drums.h"
#include "instruments/synths.h"
#include "sequencer/notation.h"
#include "sequencer/timing.h"

#include <array>
#include <memory>
#include <string_view>

namespace music {

namespace {

using namespace form;

// ---- Harmony ---------------------------------------------------------------

struct Chord {
    float root;                   // bass note
    std::array<float, 4> voicing; // pad notes, voice-led around middle C
};

// i - VI - III - VII - i - VI - VII - V in A minor; the E major at the end of
// the cycle pulls back to A minor.
const Chord kAm{33, {57, 60, 64, 69}};
const Chord kF{29, {57, 60, 65, 69}};
const Chord kC{36, {55, 60, 64, 67}};
const Chord kG{31, {55, 59, 62, 67}};
const Chord kE{28, {56, 59, 64, 68}};
const std::array<const Chord*, 8> kCycle = {&kAm, &kF, &kC, &kG, &kAm, &kF, &kG, &kE};

// The cycle is aligned so that every section start (bars 16, 32, 40, 48,
// 64, 72) falls on its first chord, and the intro's last bar on the E.
const Chord& chordAt(int bar) {
    return *kCycle[bar % 8];
}
int cycleIndex(int bar) {
    return bar % 8;
}

// ---- Themes ----------------------------------------------------------------

// The hook, one line per bar of the cycle, in 3-3-2 trance phrasing.
constexpr std::array<std::string_view, 8> kHook = {
    "A5/3 E5/3 A5/2 B5/3 C6/3 B5/2",   // Am
    "A5/3 F5/3 A5/2 C6/6 A5/2",        // F
    "G5/3 E5/3 G5/2 C6/3 D6/3 E6/2",   // C
    "D6/6 B5/2 G5/4 B5/2 D6/2",        // G
    "E6/3 C6/3 A5/2 B5/3 C6/3 E6/2",   // Am
    "F6/3 E6/3 C6/2 A5/6 C6/2",        // F
    "D6/3 B5/3 G5/2 B5/3 D6/3 G6/2",   // G
    "G#5/3 B5/3 E6/2 D6/3 B5/3 G#5/2", // E
};

// Arp order over the chord tones an octave up (indices 4 and 5 go higher).
constexpr std::array<int, 16> kArpOrder = {0, 1, 2, 3, 4, 3, 2, 1, 0, 1, 2, 3, 5, 3, 2, 1};

// ---- Drum grids (one bar, beats separated for reading) -----------------------

constexpr std::string_view kFourOnTheFloor = "X... X... X... X...";
constexpr std::string_view kKickIntoDrop = "X... X... X... ....";
constexpr std::string_view kClapBackbeat = ".... X... .... X...";
constexpr std::string_view kClapTurnaround = ".... X... .... X.ox";
constexpr std::string_view kOffbeatHat = "..x. ..x. ..x. ..x.";
constexpr std::string_view kClosedHatsLight = ".o.o .o.o .o.o .o.o";
constexpr std::string_view kClosedHats = "ox.x ox.x ox.x ox.x";

// Bass figures: 'r' the chord root, 'u' an octave up, '.' rest.
constexpr std::string_view kBassOffbeat = "..r. ..r. ..r. ..r.";
constexpr std::string_view kBassRolling = ".rrr .rrr .rrr .rrr";
constexpr std::string_view kBassDriving = ".rru .rrr .rru .rur";
constexpr std::string_view kBassIntoDrop = ".rrr .rrr .rrr ....";

// ---- Pattern helpers ---------------------------------------------------------

template <class Body> void forBars(int first, int last, const Body& body) {
    for (int bar = first; bar <= last; ++bar)
        body(bar);
}

void drums(Track& track, int first, int last, std::string_view grid, float velocity,
           double length = 1.0, float pitch = 60.0f) {
    forBars(first, last,
            [&](int bar) { track.add(rhythm(barStep(bar), grid, pitch, velocity, length)); });
}

void bassLine(Track& track, int first, int last, std::string_view figure, float velocity,
              double gate) {
    forBars(first, last, [&](int bar) {
        double step = 0.0;
        for (char symbol : figure) {
            if (symbol == ' ')
                continue;
            const float root = chordAt(bar).root;
            if (symbol == 'r' || symbol == 'u')
                track.notes.push_back(
                    {barStep(bar, step), gate, symbol == 'u' ? root + 12.0f : root, velocity});
            step += 1.0;
        }
    });
}

void sustainedBass(Track& track, int first, int last, float velocity) {
    forBars(first, last, [&](int bar) {
        track.notes.push_back({barStep(bar), 15.0, chordAt(bar).root, velocity});
    });
}

void chords(Track& track, int first, int last, float velocity) {
    forBars(first, last, [&](int bar) {
        for (float note : chordAt(bar).voicing)
            track.notes.push_back({barStep(bar), 16.0, note, velocity});
    });
}

void arpeggio(Track& track, int first, int last, float fromVelocity, float toVelocity) {
    forBars(first, last, [&](int bar) {
        const auto& v = chordAt(bar).voicing;
        const std::array<float, 6> tones = {v[0] + 12, v[1] + 12, v[2] + 12,
                                            v[3] + 12, v[1] + 24, v[2] + 24};
        const float x = last > first ? float(bar - first) / float(last - first) : 0.0f;
        const float velocity = fromVelocity + (toVelocity - fromVelocity) * x;
        for (int step = 0; step < 16; ++step) {
            const float accent = step % 4 == 0 ? 1.0f : 0.72f;
            track.notes.push_back({barStep(bar, step), 1.0,
                                   tones[static_cast<std::size_t>(kArpOrder[step])],
                                   velocity * accent});
        }
    });
}

void hook(Track& track, int first, int last, float velocity, float transpose) {
    forBars(first, last, [&](int bar) {
        track.add(melody(barStep(bar), kHook[cycleIndex(bar)], velocity, transpose));
    });
}

// A roll that gets denser, louder and higher towards the next section:
// quarters, eighths, then sixteenths in its last bar.
void snareRoll(Track& track, int first, int last) {
    const double start = barStep(first);
    const double end = barStep(last + 1);
    forBars(first, last, [&](int bar) {
        const int bars = last - bar; // bars left after this one
        const int spacing = bars >= 2 ? 4 : (bars == 1 ? 2 : 1);
        for (int step = 0; step < 16; step += spacing) {
            const double at = barStep(bar, step);
            const float x = static_cast<float>((at - start) / (end - start));
            track.notes.push_back({at, 1.0, 60.0f + 7.0f * x, 0.35f + 0.65f * x});
        }
    });
}

// Closed-hat velocities drift a little, as a drummer's would.
void humanise(Track& track, std::uint32_t seed) {
    dsp::Noise noise(seed);
    for (Note& note : track.notes)
        note.velocity *= 0.85f + 0.15f * noise.unit();
}

// ---- Sounds ------------------------------------------------------------------

std::unique_ptr<Instrument> hatSound(double highPass, double ratio, double decayPerGate,
                                     float metal, std::uint32_t seed) {
    HatVoice::Patch patch;
    patch.highPassHz = highPass;
    patch.ratio = ratio;
    patch.decayPerGate = decayPerGate;
    patch.metal = metal;
    return std::make_unique<Hat>(patch, seed);
}

std::unique_ptr<Instrument> bellSound() {
    PluckVoice::Patch patch;
    patch.lowHz = 900.0;
    patch.highHz = 2500.0;
    patch.envelopeOctaves = 1.5;
    patch.filterDecay = 0.4;
    patch.q = 0.9;
    patch.pulseWidth = 0.5;
    patch.saw = 0.2f;
    patch.bell = 0.45f;
    patch.decay = 1.2;
    patch.release = 0.6;
    return std::make_unique<Pluck>(patch, 41u);
}

} // namespace

Song makeSoundtrack() {
    Song song;
    song.seconds = static_cast<double>(barStartSample(kFinalChord)) / kSampleRate + 6.5;

    // ---- Drums ----
    Track& kick = song.track("kick", std::make_unique<Kick>(KickVoice::Patch{}, 1u));
    kick.gain = 0.85f;
    kick.keysPump = true;
    drums(kick, kBeatIn, kClapIn - 1, kFourOnTheFloor, 0.7f);
    drums(kick, kClapIn, kFill - 1, kFourOnTheFloor, 0.8f);
    drums(kick, kFill, kFill, kKickIntoDrop, 0.9f);
    drums(kick, kDrop, kBreakdown - 1, kFourOnTheFloor, 1.0f);
    drums(kick, kRoll, kSecondDrop - 2, kFourOnTheFloor, 0.8f);
    drums(kick, kSecondDrop - 1, kSecondDrop - 1, kKickIntoDrop, 0.85f);
    drums(kick, kSecondDrop, kWindDown - 1, kFourOnTheFloor, 1.0f);
    drums(kick, kFinalChord, kFinalChord, "X", 1.0f);

    Track& clap = song.track("clap", std::make_unique<Snare>(SnareVoice::Patch{}, 2u));
    clap.gain = 1.1f;
    clap.pan = 0.05f;
    clap.reverbSend = 0.3f;
    drums(clap, kClapIn, kFill - 1, kClapBackbeat, 0.8f);
    forBars(kDrop, kBreakdown - 1, [&](int bar) {
        drums(clap, bar, bar, bar % 8 == 7 ? kClapTurnaround : kClapBackbeat, 1.0f);
    });
    forBars(kSecondDrop, kWindDown - 1, [&](int bar) {
        drums(clap, bar, bar, bar % 8 == 7 ? kClapTurnaround : kClapBackbeat, 1.0f);
    });

    SnareVoice::Patch rollPatch;
    rollPatch.bodyLevel = 0.6f;
    rollPatch.tailSeconds = 0.2;
    Track& roll = song.track("snare roll", std::make_unique<Snare>(rollPatch, 3u));
    roll.gain = 0.9f;
    roll.pan = -0.05f;
    roll.reverbSend = 0.35f;
    snareRoll(roll, kFill, kFill);
    snareRoll(roll, kRoll, kSecondDrop - 1);

    Track& openHat = song.track("open hat", hatSound(6500.0, 1.0, 1.6, 0.4f, 4u));
    openHat.gain = 0.4f;
    openHat.pan = 0.2f;
    openHat.reverbSend = 0.12f;
    drums(openHat, kBeatIn, kClapIn - 1, kOffbeatHat, 0.6f, 1.5);
    drums(openHat, kClapIn, kFill, kOffbeatHat, 0.85f, 1.5);
    drums(openHat, kDrop, kBreakdown - 1, kOffbeatHat, 1.0f, 1.5);
    drums(openHat, kRoll, kSecondDrop - 1, kOffbeatHat, 0.7f, 1.5);
    drums(openHat, kSecondDrop, kWindDown + 1, kOffbeatHat, 1.0f, 1.5);

    Track& closedHat = song.track("closed hat", hatSound(8000.0, 1.1, 0.5, 0.5f, 5u));
    closedHat.gain = 0.36f;
    closedHat.pan = -0.25f;
    closedHat.reverbSend = 0.08f;
    drums(closedHat, kClapIn, kFill, kClosedHatsLight, 0.8f);
    drums(closedHat, kDrop, kBreakdown - 1, kClosedHats, 1.0f);
    drums(closedHat, kSecondDrop, kWindDown - 1, kClosedHats, 1.0f);
    humanise(closedHat, 6u);

    Track& crash = song.track("crash", hatSound(3500.0, 1.6, 1.0, 0.6f, 7u));
    crash.gain = 0.3f;
    crash.reverbSend = 0.3f;
    for (int bar :
         {kBeatIn, kDrop, kDrop + 8, kBreakdown, kSecondDrop, kSecondDrop + 8, kOutro, kFinalChord})
        crash.notes.push_back({barStep(bar), 24.0, 60.0f, bar == kBeatIn ? 0.6f : 1.0f});

    Track& riser = song.track("riser", std::make_unique<Riser>(RiserVoice::Patch{}, 8u));
    riser.gain = 0.3f;
    riser.reverbSend = 0.4f;
    riser.notes.push_back({barStep(kClapIn), 3 * 16.0, 48.0f, 0.8f});
    riser.notes.push_back({barStep(kRoll), 4 * 16.0, 48.0f, 1.0f});

    // ---- Bass ----
    Track& bass = song.track("bass", std::make_unique<Bass>(BassVoice::Patch{}, 9u));
    bass.gain = 0.65f;
    bass.pump = 0.55f;
    bass.tone = {
        {kBassIn, 0.15f},       {kBeatIn, 0.3f},    {kFill + 0.9, 0.6f}, {kDrop, 0.6f},
        {kBreakdown - 1, 0.7f}, {kBreakdown, 0.2f}, {kRoll, 0.3f},       {kSecondDrop - 0.1, 0.65f},
        {kSecondDrop, 0.7f},    {kWindDown, 0.5f},  {kFinalChord, 0.3f}};
    bassLine(bass, kBassIn, kBeatIn - 1, kBassOffbeat, 0.8f, 1.5);
    bassLine(bass, kBeatIn, kFill - 1, kBassRolling, 0.75f, 0.8);
    bassLine(bass, kFill, kFill, kBassIntoDrop, 0.8f, 0.8);
    bassLine(bass, kDrop, kDrop + 7, kBassRolling, 1.0f, 0.8);
    bassLine(bass, kDrop + 8, kBreakdown - 1, kBassDriving, 1.0f, 0.8);
    sustainedBass(bass, kBreakdown, kRoll - 1, 0.8f);
    bassLine(bass, kRoll, kSecondDrop - 2, kBassOffbeat, 0.9f, 1.5);
    bassLine(bass, kSecondDrop - 1, kSecondDrop - 1, kBassIntoDrop, 0.9f, 0.8);
    bassLine(bass, kSecondDrop, kSecondDrop + 7, kBassDriving, 1.0f, 0.8);
    bassLine(bass, kSecondDrop + 8, kWindDown - 1, kBassRolling, 1.0f, 0.8);
    bassLine(bass, kWindDown, kWindDown + 1, kBassOffbeat, 0.8f, 1.5);
    sustainedBass(bass, kWindDown + 2, kFinalChord - 1, 0.7f);
    bass.notes.push_back({barStep(kFinalChord), 24.0, chordAt(kFinalChord).root, 0.9f});

    // ---- Harmony ----
    Track& pad = song.track("pad", std::make_unique<Pad>(PadVoice::Patch{}, 10u));
    pad.gain = 0.34f;
    pad.pump = 0.7f;
    pad.reverbSend = 0.35f;
    pad.tone = {{kPadIntro, 0.1f},      {kBeatIn, 0.3f}, {kFill, 0.5f},
                {kFill + 0.95, 0.75f},  {kDrop, 0.68f},  {kBreakdown - 1, 0.75f},
                {kBreakdown, 0.45f},    {kBuild, 0.3f},  {kSecondDrop - 0.05, 0.75f},
                {kSecondDrop, 0.75f},   {kOutro, 0.7f},  {kFinalChord, 0.4f},
                {kFinalChord + 2, 0.2f}};
    chords(pad, kPadIntro, kFinalChord - 1, 0.85f);
    for (float note : chordAt(kFinalChord).voicing)
        pad.notes.push_back({barStep(kFinalChord), 24.0, note, 0.9f});
    pad.notes.push_back({barStep(kFinalChord), 24.0, 45.0f, 0.7f}); // low A under it

    PluckVoice::Patch arpPatch;
    Track& arp = song.track("arp", std::make_unique<Pluck>(arpPatch, 11u));
    arp.gain = 0.42f;
    arp.pump = 0.35f;
    arp.reverbSend = 0.2f;
    arp.delaySend = 0.35f;
    arp.tone = {{kPadIntro, 0.0f},          {kFill + 0.9, 0.55f},    {kDrop, 0.55f},
                {kBreakdown - 1, 0.7f},     {kBreakdown + 4, 0.25f}, {kBuild, 0.2f},
                {kSecondDrop - 0.1, 0.75f}, {kSecondDrop, 0.65f},    {kWindDown, 0.6f},
                {kFinalChord, 0.2f}};
    arpeggio(arp, kPadIntro, kFill, 0.45f, 0.85f);
    arpeggio(arp, kDrop, kBreakdown - 1, 0.85f, 0.85f);
    arpeggio(arp, kBreakdown + 4, kSecondDrop - 1, 0.4f, 0.9f);
    arpeggio(arp, kSecondDrop, kFinalChord - 1, 0.9f, 0.5f);

    // ---- Melody ----
    Track& lead = song.track("lead", std::make_unique<Lead>(LeadVoice::Patch{}, 12u));
    lead.gain = 0.8f;
    lead.pump = 0.15f;
    lead.reverbSend = 0.25f;
    lead.delaySend = 0.22f;
    lead.tone = {{kDrop, 0.7f},
                 {kBreakdown - 1, 0.8f},
                 {kBuild, 0.05f},
                 {kSecondDrop - 0.1, 0.65f},
                 {kSecondDrop, 0.8f}};
    hook(lead, kDrop, kBreakdown - 1, 0.9f, -12.0f);
    hook(lead, kBuild, kSecondDrop - 1, 0.7f, -12.0f);
    hook(lead, kSecondDrop, kOutro - 1, 1.0f, -12.0f);
    lead.notes.push_back({barStep(kFinalChord), 16.0, noteNumber("A4"), 0.9f});

    LeadVoice::Patch highPatch;
    highPatch.detuneCents = 6.0;
    highPatch.square = 0.0f;
    Track& leadHigh = song.track("lead octave", std::make_unique<Lead>(highPatch, 13u));
    leadHigh.gain = 0.3f;
    leadHigh.pump = 0.15f;
    leadHigh.reverbSend = 0.35f;
    leadHigh.delaySend = 0.35f;
    leadHigh.tone = {{kSecondDrop, 0.6f}};
    hook(leadHigh, kSecondDrop, kOutro - 1, 0.9f, 0.0f);

    Track& bell = song.track("bell", bellSound());
    bell.gain = 0.6f;
    bell.reverbSend = 0.45f;
    bell.delaySend = 0.4f;
    bell.tone = {{kBreakdown, 0.6f}};
    hook(bell, kBreakdown, kBuild - 1, 0.8f, -12.0f);
    hook(bell, kWindDown, kFinalChord - 1, 0.6f, -12.0f);
    bell.notes.push_back({barStep(kFinalChord), 16.0, noteNumber("A4"), 0.7f});

    return song;
}

} // namespace music
