#include "AudioTestSupport.h"
#include "CaptureMatch.h"

#include "audio/MusicPlayer.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

namespace {

// The environment hands a Unix path; Wine's Z: drive is the Unix root.
std::string windowsPath(const char* path) {
    return path[0] == '/' ? std::string("Z:") + path : path;
}

Bytes readFile(const std::string& path) {
    Bytes bytes;
    if (FILE* file = std::fopen(path.c_str(), "rb")) {
        std::uint8_t chunk[65536];
        for (std::size_t n; (n = std::fread(chunk, 1, sizeof chunk, file)) > 0;)
            bytes.insert(bytes.end(), chunk, chunk + n);
        std::fclose(file);
    }
    return bytes;
}

std::uint64_t fileSize(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data))
        return 0;
    return (std::uint64_t(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

} // namespace

// The real player on Wine's DirectSound, whose ALSA device writes what it plays to the file
// named by SHOW_SOUND_FILE. That device is not paced (it runs several times faster than real
// time), so this checks what is played, not when.
TEST(MusicPlayerOnTheDevice, PlaysTheTrackFromItsStartThenSilenceAndStopsPromptly) {
    const char* soundFile = std::getenv("SHOW_SOUND_FILE");
    if (soundFile == nullptr)
        GTEST_SKIP() << "SHOW_SOUND_FILE names no capture file";
    const std::string capturePath = windowsPath(soundFile);
    DeleteFileA(capturePath.c_str());

    const Decoded reference = decodeWhole(stereoOgg());
    ASSERT_EQ(reference.channels, 2);
    const double trackSeconds = reference.frames() / 44100.0;

    LogRecorder logger;
    HWND window = CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 16, 16, nullptr, nullptr,
                                  GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(window, nullptr);
    auto player = std::make_unique<MusicPlayer>();
    ASSERT_TRUE(player->open(fileSystemWith(MusicPlayer::trackPath, stereoOgg()), window));
    ASSERT_TRUE(player->start());

    // Until the device has written the track and two seconds of what follows in the widest
    // format it may use, or twelve seconds at most (a device paced in real time).
    const std::uint64_t enough = static_cast<std::uint64_t>((trackSeconds + 2) * 48000 * 8);
    const auto started = std::chrono::steady_clock::now();
    while (fileSize(capturePath) < enough &&
           std::chrono::steady_clock::now() - started < std::chrono::seconds(12))
        Sleep(50);

    HANDLE feeder = nullptr;
    ASSERT_TRUE(DuplicateHandle(GetCurrentProcess(), player->thread, GetCurrentProcess(), &feeder,
                                0, FALSE, DUPLICATE_SAME_ACCESS));
    const auto stopping = std::chrono::steady_clock::now();
    player.reset();
    const auto stopped = std::chrono::steady_clock::now();
    EXPECT_EQ(WaitForSingleObject(feeder, 0), DWORD(WAIT_OBJECT_0));
    CloseHandle(feeder);
    EXPECT_LT(stopped - stopping, std::chrono::milliseconds(150)); // 17 ms at most beside a build
    DestroyWindow(window);

    const Bytes raw = readFile(capturePath);
    const CaptureMatch m = matchCapture(raw, reference);
    std::printf(
        "capture: %zu bytes read as %s; track at frame %zu (score %.4f), %d gap(s), %.1f s matched "
        "(worst %.4f), silence after %.6f\n",
        raw.size(), m.format.c_str(), m.start, m.startScore, m.gaps, m.matchedSeconds,
        m.worstSegment, m.silenceAfter);
    EXPECT_GT(m.startScore, 0.95);
    EXPECT_LT(m.silenceBefore, 0.001);
    // The whole track in order: the first three seconds come from the primed buffer, the rest
    // through the feeder; then silence, not the buffer's old contents going round again.
    EXPECT_GT(m.matchedSeconds, trackSeconds - 0.5);
    EXPECT_GT(m.worstSegment, 0.95);
    EXPECT_GE(m.silenceAfter, 0.0) << "the capture ends before the track";
    EXPECT_LT(m.silenceAfter, 0.001);
}
