#include "sequencer/timing.h"
#include "song/soundtrack.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <string>

namespace music {
namespace {

class Soundtrack : public ::testing::Test {
  protected:
    Song song = makeSoundtrack();

    const Track& track(const std::string& name) const {
        for (const Track& t : song.tracks)
            if (t.name == name)
                return t;
        throw std::runtime_error("no track " + name);
    }

    static bool startsIn(const Note& note, int firstBar, int lastBar) {
        return note.step >= barStep(firstBar) && note.step < barStep(lastBar + 1);
    }
};

TEST_F(Soundtrack, LastsTwoToThreeMinutes) {
    EXPECT_GE(song.seconds, 120.0);
    EXPECT_LE(song.seconds, 180.0);
}

TEST_F(Soundtrack, MainSectionHitsOnTheThirtySecondDownbeat) {
    const Track& kick = track("kick");
    const bool onDownbeat = std::any_of(kick.notes.begin(), kick.notes.end(), [](const Note& n) {
        return stepToSample(n.step) == 30 * kSampleRate;
    });
    EXPECT_TRUE(onDownbeat);
    // The build-up leaves the last beat before the drop empty of kicks.
    for (const Note& note : kick.notes) {
        const auto at = stepToSample(note.step);
        EXPECT_FALSE(at > 29 * kSampleRate && at < 30 * kSampleRate) << "kick at sample " << at;
    }
}

TEST_F(Soundtrack, IntroBuildsUpLayerByLayer) {
    // First entry (in bars) of each layer must not go backwards.
    const auto entry = [this](const std::string& name) {
        double first = 1e9;
        for (const Note& note : track(name).notes)
            first = std::min(first, note.step);
        return first / kStepsPerBar + 1.0;
    };
    EXPECT_EQ(entry("pad"), 1.0);
    EXPECT_GT(entry("bass"), entry("pad"));
    EXPECT_GT(entry("kick"), entry("bass"));
    EXPECT_GT(entry("clap"), entry("kick"));
    EXPECT_EQ(entry("lead"), static_cast<double>(form::kDrop));
}

TEST_F(Soundtrack, BreakdownDropsTheDrums) {
    for (const char* name : {"kick", "clap", "closed hat"}) {
        for (const Note& note : track(name).notes)
            EXPECT_FALSE(startsIn(note, form::kBreakdown, form::kBuild - 1))
                << name << " at step " << note.step;
    }
}

TEST_F(Soundtrack, MonophonicLinesNeverOverlap) {
    // A mistyped hook bar (lengths not adding up to a bar) shows up here.
    for (const char* name : {"lead", "lead octave", "bell"}) {
        auto notes = track(name).notes;
        std::sort(notes.begin(), notes.end(),
                  [](const Note& a, const Note& b) { return a.step < b.step; });
        for (std::size_t i = 1; i < notes.size(); ++i)
            EXPECT_LE(notes[i - 1].step + notes[i - 1].length, notes[i].step + 1e-9)
                << name << " note " << i;
    }
}

TEST_F(Soundtrack, HookBarsStartOnTheDownbeat) {
    for (const Note& note : track("lead").notes) {
        if (std::fmod(note.step, kStepsPerBar) == 0.0)
            continue;
        const double barStart = std::floor(note.step / kStepsPerBar) * kStepsPerBar;
        const bool barHasDownbeat =
            std::any_of(track("lead").notes.begin(), track("lead").notes.end(),
                        [barStart](const Note& other) { return other.step == barStart; });
        EXPECT_TRUE(barHasDownbeat) << "lead bar at step " << barStart;
    }
}

TEST_F(Soundtrack, EndsWithAFinalChordThatRingsOut) {
    double lastStart = 0.0, lastEnd = 0.0;
    for (const Track& t : song.tracks) {
        for (const Note& note : t.notes) {
            lastStart = std::max(lastStart, note.step);
            lastEnd = std::max(lastEnd, note.step + note.length);
        }
    }
    EXPECT_EQ(lastStart, barStep(form::kFinalChord));
    // Room after the last key release for the release and reverb tails.
    EXPECT_GE(song.seconds - static_cast<double>(stepToSample(lastEnd)) / kSampleRate, 3.0);
}

TEST_F(Soundtrack, TheTunnelFollowsItsForm) {
    std::ifstream file(MUSIC_TUNNEL_SHADER);
    const std::string shader((std::istreambuf_iterator<char>(file)), {});
    EXPECT_NE(shader.find(formAsGlsl(song)), std::string::npos)
        << "tools/music/make-track.sh writes this into the shader:\n"
        << formAsGlsl(song);
}

TEST_F(Soundtrack, EveryNoteIsPlayable) {
    for (const Track& t : song.tracks) {
        ASSERT_TRUE(t.instrument) << t.name;
        for (const Note& note : t.notes) {
            EXPECT_GT(note.length, 0.0) << t.name;
            EXPECT_GT(note.velocity, 0.0f) << t.name;
            EXPECT_LE(note.velocity, 1.0f) << t.name;
            EXPECT_GE(note.pitch, 24.0f) << t.name; // C1: nothing below sub range
            EXPECT_LE(note.pitch, 96.0f) << t.name;
        }
    }
}

} // namespace
} // namespace music
