#include "sequencer/renderer.h"

#include "dsp/delay.h"
#include "dsp/filter.h"
#include "dsp/reverb.h"
#include "sequencer/timing.h"

#include <algorithm>
#include <cmath>

namespace music {

namespace {

constexpr double kHalfPi = 1.5707963267948966;
// Automation and smoothing run at a control rate; 32 samples is 0.7 ms.
constexpr int kControlInterval = 32;

struct Event {
    std::int64_t start;
    int gate;
    float pitch;
    float velocity;
};

std::vector<Event> schedule(const std::vector<Note>& notes) {
    std::vector<Event> events;
    events.reserve(notes.size());
    for (const Note& note : notes) {
        const std::int64_t start = stepToSample(note.step);
        const std::int64_t end = stepToSample(note.step + note.length);
        events.push_back({start, static_cast<int>(std::max<std::int64_t>(end - start, 1)),
                          note.pitch, note.velocity});
    }
    std::stable_sort(events.begin(), events.end(),
                     [](const Event& a, const Event& b) { return a.start < b.start; });
    return events;
}

// Per-track playback state kept apart from the song description.
struct Player {
    Track* track;
    std::vector<Event> events;
    std::size_t next = 0;
    dsp::OnePole level; // smooths automated level between control updates
    float panLeft = 1.0f;
    float panRight = 1.0f;
};

} // namespace

float duckGain(std::int64_t samplesSinceKick) {
    const double t = static_cast<double>(samplesSinceKick) / kSampleRate;
    constexpr double kDip = 0.004;     // ramp down: fast, but not a click
    constexpr double kRecovery = 0.24; // back to full just before the next beat
    double depth = 0.0;
    if (t < kDip)
        depth = t / kDip;
    else if (t < kDip + kRecovery) {
        const double x = 1.0 - (t - kDip) / kRecovery;
        depth = x * x;
    }
    return static_cast<float>(1.0 - depth);
}

StereoBuffer renderSong(Song& song) {
    const auto total = static_cast<std::size_t>(std::llround(secondsToSamples(song.seconds)));
    StereoBuffer out{std::vector<float>(total, 0.0f), std::vector<float>(total, 0.0f)};

    std::vector<Player> players;
    for (Track& track : song.tracks) {
        Player player{&track, schedule(track.notes), 0, {}, 1.0f, 1.0f};
        player.level.setCutoff(30.0);
        player.level.reset(track.level.at(1.0));
        // Constant-power balance, normalised so the centre is unity.
        const double angle = (std::clamp(track.pan, -1.0f, 1.0f) + 1.0) * 0.5 * kHalfPi;
        player.panLeft = static_cast<float>(std::cos(angle) * std::sqrt(2.0));
        player.panRight = static_cast<float>(std::sin(angle) * std::sqrt(2.0));
        players.push_back(std::move(player));
    }

    const int delaySamples = static_cast<int>(stepToSample(song.delaySteps));
    dsp::PingPongDelay delay(delaySamples, song.delayFeedback, 4000.0);
    dsp::Reverb reverb(song.reverbRoom, song.reverbDamping, 1.0f);

    std::int64_t sinceKick = std::int64_t{1} << 40; // no duck before the first kick
    std::vector<float> levelTargets(players.size(), 1.0f);

    for (std::size_t n = 0; n < total; ++n) {
        const auto sample = static_cast<std::int64_t>(n);
        if (n % kControlInterval == 0) {
            const double bar = sampleToBar(sample);
            for (std::size_t i = 0; i < players.size(); ++i) {
                const Track& track = *players[i].track;
                levelTargets[i] = track.level.at(bar);
                if (!track.tone.empty())
                    track.instrument->setTone(track.tone.at(bar));
            }
        }

        for (Player& player : players) {
            while (player.next < player.events.size() &&
                   player.events[player.next].start <= sample) {
                const Event& event = player.events[player.next++];
                player.track->instrument->noteOn(event.pitch, event.velocity, event.gate);
                if (player.track->keysPump)
                    sinceKick = 0;
            }
        }
        const float duck = duckGain(sinceKick++);

        float dryLeft = 0.0f, dryRight = 0.0f;
        float reverbLeft = 0.0f, reverbRight = 0.0f;
        float delayLeft = 0.0f, delayRight = 0.0f;
        for (std::size_t i = 0; i < players.size(); ++i) {
            Player& player = players[i];
            const Track& track = *player.track;
            float left = 0.0f, right = 0.0f;
            track.instrument->process(left, right);
            const float gain = track.gain * player.level.process(levelTargets[i]) *
                               (1.0f - track.pump * (1.0f - duck));
            left *= gain * player.panLeft;
            right *= gain * player.panRight;
            dryLeft += left;
            dryRight += right;
            reverbLeft += left * track.reverbSend;
            reverbRight += right * track.reverbSend;
            delayLeft += left * track.delaySend;
            delayRight += right * track.delaySend;
        }

        float echoLeft = 0.0f, echoRight = 0.0f;
        delay.process(delayLeft, delayRight, echoLeft, echoRight);
        // Echoes go into the room too, so they sit in the same space.
        float roomLeft = 0.0f, roomRight = 0.0f;
        reverb.process(reverbLeft + 0.3f * echoLeft, reverbRight + 0.3f * echoRight, roomLeft,
                       roomRight);
        out.left[n] = dryLeft + echoLeft + song.reverbReturn * roomLeft;
        out.right[n] = dryRight + echoRight + song.reverbReturn * roomRight;
    }
    return out;
}

} // namespace music
