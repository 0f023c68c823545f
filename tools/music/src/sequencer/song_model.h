#pragma once

#include "instruments/instrument.h"

#include <deque>
#include <initializer_list>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace music {

// Positions and lengths are in sixteenth steps from the start of the song.
struct Note {
    double step;
    double length;
    float pitch; // MIDI number
    float velocity;
};

// Piecewise-linear curve over bars (1 = song start), held flat outside its
// points.
class Automation {
  public:
    Automation() = default;
    Automation(std::initializer_list<std::pair<double, float>> points);

    bool empty() const { return points_.empty(); }
    float at(double bar) const;

  private:
    std::vector<std::pair<double, float>> points_;
};

struct Track {
    std::string name;
    std::unique_ptr<Instrument> instrument;
    std::vector<Note> notes;
    float gain = 1.0f;
    float pan = 0.0f; // -1 left .. 1 right
    float reverbSend = 0.0f;
    float delaySend = 0.0f;
    float pump = 0.0f;     // how deep the kick ducks this track
    bool keysPump = false; // this track's notes are the kick the others duck to
    Automation level;      // multiplies gain; none = 1
    Automation tone;       // instrument brightness; none = 1

    void add(const std::vector<Note>& more) { notes.insert(notes.end(), more.begin(), more.end()); }
};

struct Song {
    std::deque<Track> tracks; // deque: references stay valid as tracks are added
    double seconds = 0.0;
    double delaySteps = 3.0; // echo time in sixteenths
    float delayFeedback = 0.4f;
    float reverbRoom = 0.85f;
    float reverbDamping = 0.5f;
    float reverbReturn = 1.0f;

    Track& track(std::string name, std::unique_ptr<Instrument> instrument) {
        tracks.push_back(Track{});
        tracks.back().name = std::move(name);
        tracks.back().instrument = std::move(instrument);
        return tracks.back();
    }
};

} // namespace music
