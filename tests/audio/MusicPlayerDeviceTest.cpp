#include "AudioTestSupport.h"

#include "audio/MusicPlayer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

namespace {

using Channel = std::vector<float>;

constexpr double trackRate = 44100;

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

// Stereo frames of raw PCM, 32-bit float or 16-bit integer, resampled linearly to the track's
// rate.
void interpret(const Bytes& raw, bool isFloat, double rate, Channel& left, Channel& right) {
    const std::size_t sampleBytes = isFloat ? 4 : 2;
    const std::size_t frames = raw.size() / (2 * sampleBytes);
    auto sample = [&](std::size_t frame, std::size_t channel) {
        const std::uint8_t* p = raw.data() + (frame * 2 + channel) * sampleBytes;
        if (isFloat) {
            float value;
            std::memcpy(&value, p, 4);
            return std::isfinite(value) ? value : 0.0f;
        }
        std::int16_t value;
        std::memcpy(&value, p, 2);
        return value / 32768.0f;
    };
    const std::size_t outFrames = static_cast<std::size_t>(frames * trackRate / rate);
    left.assign(outFrames, 0);
    right.assign(outFrames, 0);
    for (std::size_t i = 0; i + 1 < outFrames; ++i) {
        const double at = i * rate / trackRate;
        const std::size_t j = static_cast<std::size_t>(at);
        if (j + 1 >= frames)
            break;
        const float t = static_cast<float>(at - j);
        left[i] = sample(j, 0) * (1 - t) + sample(j + 1, 0) * t;
        right[i] = sample(j, 1) * (1 - t) + sample(j + 1, 1) * t;
    }
}

double correlation(const float* a, const float* b, std::size_t n) {
    double ab = 0, aa = 0, bb = 0;
    for (std::size_t i = 0; i < n; ++i) {
        ab += double(a[i]) * b[i];
        aa += double(a[i]) * a[i];
        bb += double(b[i]) * b[i];
    }
    return aa > 0 && bb > 0 ? ab / std::sqrt(aa * bb) : 0;
}

struct Alignment {
    std::string format;
    Channel left, right;
    std::size_t lag = 0;
    double score = -1;
};

// The device format and start offset under which the capture best matches the track's start.
// The offset is searched near the first sound, so a shifted copy of the track cannot pass.
Alignment align(const Bytes& raw, const Channel& trackLeft, const Channel& trackRight) {
    Alignment best;
    const std::size_t window = static_cast<std::size_t>(trackRate / 2);
    for (bool isFloat : {true, false})
        for (double rate : {48000.0, 44100.0}) {
            Alignment a;
            a.format = std::string(isFloat ? "float32 " : "s16 ") + std::to_string(int(rate));
            interpret(raw, isFloat, rate, a.left, a.right);
            std::size_t onset = 0;
            while (onset < a.left.size() && std::fabs(a.left[onset]) < 0.005f &&
                   std::fabs(a.right[onset]) < 0.005f)
                ++onset;
            const std::size_t from = onset > 400 ? onset - 400 : 0;
            for (std::size_t lag = from; lag <= onset + 400 && lag + window <= a.left.size();
                 ++lag) {
                const double score = correlation(a.left.data() + lag, trackLeft.data(), window) +
                                     correlation(a.right.data() + lag, trackRight.data(), window);
                if (score > a.score) {
                    a.score = score;
                    a.lag = lag;
                }
            }
            if (a.score > best.score)
                best = std::move(a);
        }
    best.score /= 2;
    return best;
}

double rms(const Channel& channel, std::size_t from, std::size_t to) {
    double sum = 0;
    for (std::size_t i = from; i < to; ++i)
        sum += double(channel[i]) * channel[i];
    return to > from ? std::sqrt(sum / double(to - from)) : 0;
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
    Channel trackLeft(reference.frames()), trackRight(reference.frames());
    for (std::size_t i = 0; i < reference.frames(); ++i) {
        trackLeft[i] = reference.samples[2 * i] / 32768.0f;
        trackRight[i] = reference.samples[2 * i + 1] / 32768.0f;
    }
    const double trackSeconds = reference.frames() / trackRate;

    LoggerScope logger;
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
    EXPECT_LT(stopped - stopping, std::chrono::milliseconds(150));
    DestroyWindow(window);

    const Bytes raw = readFile(capturePath);
    const Alignment a = align(raw, trackLeft, trackRight);
    std::printf("capture: %zu bytes, read as %s, track starts at frame %zu, score %.4f\n",
                raw.size(), a.format.c_str(), a.lag, a.score);
    ASSERT_GT(a.score, 0.95);
    // Only silence before the track.
    EXPECT_LT(rms(a.left, 0, a.lag > 50 ? a.lag - 50 : 0), 0.001);

    // The whole track in order, half a second at a time: the first three seconds come from the
    // primed buffer, the rest through the feeder.
    const std::size_t segment = static_cast<std::size_t>(trackRate / 2);
    std::size_t checked = 0;
    for (std::size_t at = 0; at + segment <= reference.frames(); at += segment) {
        ASSERT_LE(a.lag + at + segment, a.left.size()) << "capture ends at " << at / trackRate;
        const double left = correlation(a.left.data() + a.lag + at, trackLeft.data() + at, segment);
        const double right =
            correlation(a.right.data() + a.lag + at, trackRight.data() + at, segment);
        EXPECT_GT(left, 0.95) << "left at " << at / trackRate << " s";
        EXPECT_GT(right, 0.95) << "right at " << at / trackRate << " s";
        checked += segment;
    }
    EXPECT_GT(checked / trackRate, trackSeconds - 0.5);

    // Then silence, not the buffer's old contents going round again.
    const std::size_t after = a.lag + reference.frames() + segment / 5;
    ASSERT_LT(after + std::size_t(trackRate), a.left.size()) << "no capture after the track";
    EXPECT_LT(rms(a.left, after, a.left.size()), 0.001);
    EXPECT_LT(rms(a.right, after, a.right.size()), 0.001);
}
