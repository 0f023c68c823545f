#include "AudioTestSupport.h"
#include "FakeDirectSound.h"

#include "audio/MusicPlayer.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>

namespace {

class MusicPlayerOpen : public ::testing::Test {
  protected:
    void SetUp() override { FakeSound::current = &sound; }
    void TearDown() override { FakeSound::current = nullptr; }

    std::unique_ptr<MusicPlayer> openPlayer(const Bytes& track, bool expected = true) {
        auto player = std::make_unique<MusicPlayer>();
        player->createDevice = &FakeSound::create;
        EXPECT_EQ(player->open(fileSystemWith(MusicPlayer::trackPath, track), window), expected);
        return player;
    }

    FakeSound sound;
    LogRecorder logger;
    // Only handed through: the fake device does not look at it.
    HWND window = reinterpret_cast<HWND>(std::uintptr_t(0x1234));
};

void expectFormat(const WAVEFORMATEX& format, WORD channels, DWORD rate) {
    EXPECT_EQ(format.wFormatTag, WAVE_FORMAT_PCM);
    EXPECT_EQ(format.nChannels, channels);
    EXPECT_EQ(format.nSamplesPerSec, rate);
    EXPECT_EQ(format.wBitsPerSample, 16);
    EXPECT_EQ(format.nBlockAlign, channels * 2);
    EXPECT_EQ(format.nAvgBytesPerSec, rate * channels * 2);
    EXPECT_EQ(format.cbSize, 0);
}

} // namespace

TEST_F(MusicPlayerOpen, DescribesTheBuffersAndPrimesThreeSecondsOfTheTrack) {
    const Decoded reference = decodeWhole(stereoOgg());
    auto player = openPlayer(stereoOgg());
    EXPECT_EQ(sound.cooperativeWindow, window);
    EXPECT_EQ(sound.cooperativeLevel, DWORD(DSSCL_PRIORITY));

    EXPECT_EQ(sound.primaryDescription.dwSize, sizeof(DSBUFFERDESC));
    EXPECT_EQ(sound.primaryDescription.dwFlags, DWORD(DSBCAPS_PRIMARYBUFFER));
    EXPECT_EQ(sound.primaryDescription.dwBufferBytes, 0u);
    EXPECT_EQ(sound.primaryDescription.lpwfxFormat, nullptr);
    EXPECT_TRUE(IsEqualGUID(sound.primaryDescription.guid3DAlgorithm, GUID_NULL));
    expectFormat(sound.primaryFormat.Format, 2, 44100);

    // Windows 7 and later (and Wine) get the true play position.
    EXPECT_EQ(sound.secondaryDescription.dwFlags, 0x18100u | DSBCAPS_TRUEPLAYPOSITION);
    EXPECT_EQ(sound.secondaryDescription.dwBufferBytes, 44100u * 3 * 4);
    EXPECT_TRUE(IsEqualGUID(sound.secondaryDescription.guid3DAlgorithm, GUID_NULL));
    expectFormat(sound.secondaryFormat.Format, 2, 44100);
    EXPECT_EQ(player->sampleRate, 44100u);
    EXPECT_EQ(player->channels, 2);
    EXPECT_EQ(player->bytesPerFrame, 4u);
    EXPECT_EQ(player->bufferBytes, 44100u * 3 * 4);

    // The first three seconds in the buffer, the next three in the ring, nothing left locked.
    ASSERT_EQ(sound.memory.size(), 44100u * 3 * 4);
    EXPECT_EQ(std::memcmp(sound.memory.data(), reference.samples.data(), sound.memory.size()), 0);
    EXPECT_FALSE(sound.locked);
    EXPECT_EQ(player->stream.filled(), player->stream.capacity());
    std::int16_t next[8];
    player->stream.takeFrames(next, 4);
    EXPECT_EQ(std::memcmp(next, reference.samples.data() + 44100 * 3 * 2, sizeof next), 0);

    player.reset();
    EXPECT_EQ(sound.devicesAlive + sound.primariesAlive + sound.secondariesAlive, 0);
    EXPECT_EQ(sound.plays, 0);
}

TEST_F(MusicPlayerOpen, AShortMonoTrackLeavesSilenceBehindIt) {
    const Decoded reference = decodeWhole(monoOgg());
    auto player = openPlayer(monoOgg());
    expectFormat(sound.secondaryFormat.Format, 1, 22050);
    EXPECT_EQ(player->bytesPerFrame, 2u);
    EXPECT_EQ(player->bufferBytes, 22050u * 3 * 2);
    ASSERT_EQ(sound.memory.size(), 22050u * 3 * 2);
    const std::size_t trackBytes = reference.samples.size() * 2;
    ASSERT_LT(trackBytes, sound.memory.size());
    EXPECT_EQ(std::memcmp(sound.memory.data(), reference.samples.data(), trackBytes), 0);
    for (std::size_t i = trackBytes; i < sound.memory.size(); ++i)
        ASSERT_EQ(sound.memory[i], 0) << "byte " << i;
}

TEST_F(MusicPlayerOpen, A51TrackNamesItsSpeakersAndReachesThemInWindowsOrder) {
    const Decoded reference = decodeWhole(surroundOgg());
    ASSERT_EQ(reference.channels, 6);
    auto player = openPlayer(surroundOgg());
    for (const WAVEFORMATEXTENSIBLE* format : {&sound.primaryFormat, &sound.secondaryFormat}) {
        EXPECT_EQ(format->Format.wFormatTag, WAVE_FORMAT_EXTENSIBLE);
        EXPECT_EQ(format->Format.nBlockAlign, 12);
        EXPECT_EQ(format->Format.cbSize, 22);
        EXPECT_EQ(format->Samples.wValidBitsPerSample, 16);
        EXPECT_EQ(format->dwChannelMask, 0x3Fu);
        EXPECT_EQ(format->SubFormat.Data1, DWORD(WAVE_FORMAT_PCM));
    }
    // Vorbis has front left, centre, front right, back left, back right, LFE.
    const int vorbisChannel[6] = {0, 2, 1, 5, 3, 4};
    const auto* played = reinterpret_cast<const std::int16_t*>(sound.memory.data());
    for (std::size_t frame = 0; frame < reference.frames(); ++frame)
        for (int c = 0; c < 6; ++c)
            ASSERT_EQ(played[frame * 6 + c], reference.samples[frame * 6 + vorbisChannel[c]])
                << "frame " << frame << ", speaker " << c;
}

TEST_F(MusicPlayerOpen, AFailedStepReleasesExactlyWhatWasMade) {
    struct Case {
        FakeSound::Step step;
        int devices, primaries, secondaries;
        const char* line;
    };
    const Case cases[] = {
        {FakeSound::Create, 0, 0, 0, "Unable to create the DirectSound device (0x88780078)"},
        {FakeSound::Cooperate, 1, 0, 0,
         "Unable to set the DirectSound cooperative level (0x80070057)"},
        {FakeSound::Primary, 1, 0, 0, "Unable to create the primary sound buffer (0x8007000E)"},
        {FakeSound::Format, 1, 1, 0,
         "Unable to set the primary sound buffer's format (0x88780064)"},
        {FakeSound::Secondary, 1, 1, 0, "Unable to create the secondary sound buffer (0x8007000E)"},
        {FakeSound::Lock, 1, 1, 1, "Unable to lock the secondary sound buffer (0x88780096)"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(int(c.step));
        sound = FakeSound();
        logger.clear();
        sound.failAt = c.step;
        auto player = openPlayer(stereoOgg(), false);
        EXPECT_EQ(sound.devicesMade, c.devices);
        EXPECT_EQ(sound.primariesMade, c.primaries);
        EXPECT_EQ(sound.secondariesMade, c.secondaries);
        // No feeder and no sound after a failed open.
        EXPECT_FALSE(player->start());
        EXPECT_EQ(player->thread, nullptr);
        EXPECT_EQ(sound.plays, 0);
        player.reset();
        EXPECT_EQ(sound.devicesAlive, 0);
        EXPECT_EQ(sound.primariesAlive, 0);
        EXPECT_EQ(sound.secondariesAlive, 0);
        EXPECT_EQ(logger.lines(), (std::vector<LogLine>{{4, c.line}}));
    }
}

TEST_F(MusicPlayerOpen, AMissingTrackFailsBeforeTheDevice) {
    auto player = std::make_unique<MusicPlayer>();
    player->createDevice = &FakeSound::create;
    EXPECT_FALSE(player->open(fileSystemWith("elsewhere.ogg", stereoOgg()), window));
    const std::vector<LogLine> expected = {
        {3, "File not found: TOTALLYANORIGINALTRACKNOTRIPPED.ogg"}};
    EXPECT_EQ(logger.lines(), expected);
    EXPECT_EQ(sound.devicesMade, 0);
    player.reset();
}

TEST_F(MusicPlayerOpen, StartRunsTheFeederUntilDestruction) {
    auto player = openPlayer(stereoOgg());
    ASSERT_TRUE(player->start());
    EXPECT_NE(player->thread, nullptr);
    EXPECT_EQ(sound.plays, 1);
    EXPECT_EQ(sound.playFlags, DWORD(DSBPLAY_LOOPING));
    EXPECT_FALSE(player->start()); // one feeder only
    EXPECT_EQ(sound.plays, 1);

    HANDLE feeder = nullptr;
    ASSERT_TRUE(DuplicateHandle(GetCurrentProcess(), player->thread, GetCurrentProcess(), &feeder,
                                0, FALSE, DUPLICATE_SAME_ACCESS));
    Sleep(150); // a pass or two against the silent fake
    EXPECT_EQ(WaitForSingleObject(feeder, 0), DWORD(WAIT_TIMEOUT));
    player.reset();
    EXPECT_EQ(WaitForSingleObject(feeder, 0), DWORD(WAIT_OBJECT_0));
    DWORD code = 1;
    EXPECT_TRUE(GetExitCodeThread(feeder, &code));
    EXPECT_EQ(code, 0u);
    CloseHandle(feeder);
    EXPECT_EQ(sound.devicesAlive + sound.primariesAlive + sound.secondariesAlive, 0);
}
