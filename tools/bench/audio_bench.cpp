// Measures the music path: how many seconds of audio the decoder produces per second of CPU
// (the stream's refill and take, as the feeder runs them), and on Windows the feeder thread's
// CPU share while the real player plays.
//
//   audio_bench [track.ogg]      default: the show's track if present, else the test fixture
#include "audio/MusicStream.h"
#include "diagnostics/StderrLogger.h"
#include "resources/FileSystem.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#if defined(_WIN32)
#include "audio/MusicPlayer.h"
#include <windows.h>
#else
#include <time.h>
#endif

namespace {

using Bytes = std::vector<std::uint8_t>;

class MemoryFile final : public File {
  public:
    explicit MemoryFile(const Bytes& bytes) : bytes_(bytes) {}
    void close() override {}
    std::uint32_t size() override { return static_cast<std::uint32_t>(bytes_.size()); }
    void read(std::uint32_t count, void* buffer, std::uint32_t& bytesRead) override {
        bytesRead = std::min<std::uint32_t>(count, size() - position_);
        std::memcpy(buffer, bytes_.data() + position_, bytesRead);
        position_ += bytesRead;
    }
    bool readFully(std::uint32_t count, void* buffer) override {
        std::uint32_t got = 0;
        read(count, buffer, got);
        return got == count;
    }
    std::uint32_t tell() override { return position_; }
    bool seek(std::uint32_t, SeekOrigin) override { return false; }

  private:
    const Bytes& bytes_;
    std::uint32_t position_ = 0;
};

// Serves the one track under any name.
class TrackProvider final : public FileSystemProvider {
  public:
    explicit TrackProvider(Bytes bytes) : bytes_(std::move(bytes)) {}
    bool initialise() override { return true; }
    bool open(const char*, IntrusivePointer<File>& out) override {
        out = new MemoryFile(bytes_);
        return true;
    }
    bool exists(const char*) override { return true; }

  private:
    Bytes bytes_;
};

std::string hostPath(const std::string& path) {
#if defined(_WIN32)
    // Under Wine the Unix root is drive Z:.
    if (!path.empty() && path[0] == '/')
        return "Z:" + path;
#endif
    return path;
}

bool readFile(const std::string& path, Bytes& bytes) {
    FILE* file = std::fopen(hostPath(path).c_str(), "rb");
    if (file == nullptr)
        return false;
    std::uint8_t chunk[65536];
    for (std::size_t n; (n = std::fread(chunk, 1, sizeof chunk, file)) > 0;)
        bytes.insert(bytes.end(), chunk, chunk + n);
    std::fclose(file);
    return !bytes.empty();
}

double threadCpuSeconds() {
#if defined(_WIN32)
    FILETIME created, exited, kernel, user;
    GetThreadTimes(GetCurrentThread(), &created, &exited, &kernel, &user);
    auto seconds = [](const FILETIME& t) {
        return ((std::uint64_t(t.dwHighDateTime) << 32) | t.dwLowDateTime) * 1e-7;
    };
    return seconds(kernel) + seconds(user);
#else
    timespec now;
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return double(now.tv_sec) + now.tv_nsec * 1e-9;
#endif
}

IntrusivePointer<FileSystem> fileSystemOf(const Bytes& track) {
    IntrusivePointer<FileSystem> fileSystem(new FileSystem);
    fileSystem->mount(IntrusivePointer<FileSystemProvider>(new TrackProvider(track)));
    return fileSystem;
}

// The whole track decoded in the feeder's usual 100 ms pieces, over and over until a second of
// CPU time has gone by (Wine counts thread time in 10 ms ticks).
bool benchDecoder(const Bytes& track) {
    double cpu = 0, audioSeconds = 0;
    int runs = 0;
    for (; cpu < 1.0 && runs < 10000; ++runs) {
        MusicStream stream;
        if (!stream.open(fileSystemOf(track), "track"))
            return false;
        const std::uint32_t piece = stream.sampleRate() / 10;
        std::vector<std::int16_t> out(std::size_t(piece) * stream.channels());
        std::uint64_t frames = 0;
        const double start = threadCpuSeconds();
        for (std::uint32_t got = piece; got == piece;) {
            got = stream.decodeFrames(out.data(), piece);
            frames += got;
        }
        cpu += threadCpuSeconds() - start;
        audioSeconds += double(frames) / stream.sampleRate();
    }
    std::printf("decoder: %.1f s of audio in %.2f s CPU (%d runs): %.0fx real time\n", audioSeconds,
                cpu, runs, audioSeconds / std::max(cpu, 1e-9));
    return true;
}

#if defined(_WIN32)
double fileTimeSeconds(const FILETIME& t) {
    return ((std::uint64_t(t.dwHighDateTime) << 32) | t.dwLowDateTime) * 1e-7;
}

// The real player for a few seconds: the feeder thread's CPU time over the wall time, and over
// the audio it wrote (the same figure on a device paced in real time; Wine's null device runs
// faster, so there the second figure is the one to compare).
bool benchFeeder(const Bytes& track) {
    HWND window = CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 16, 16, nullptr, nullptr,
                                  GetModuleHandleW(nullptr), nullptr);
    MusicPlayer player;
    if (window == nullptr || !player.open(fileSystemOf(track), window) || !player.start()) {
        std::printf("feeder: the player could not start\n");
        return false;
    }
    LARGE_INTEGER frequency, begin, end;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&begin);
    Sleep(10000);
    FILETIME created, exited, kernel, user;
    GetThreadTimes(player.thread, &created, &exited, &kernel, &user);
    QueryPerformanceCounter(&end);
    const double wall = double(end.QuadPart - begin.QuadPart) / double(frequency.QuadPart);
    const double cpu = fileTimeSeconds(kernel) + fileTimeSeconds(user);
    WaitForSingleObject(player.lock, INFINITE);
    const double audio = double(player.feeder.framesWritten) / player.sampleRate;
    ReleaseMutex(player.lock);
    std::printf("feeder: %.3f s CPU in %.2f s wall (%.2f%%), %.1f s of audio written "
                "(%.2f%% of its duration)\n",
                cpu, wall, 100 * cpu / wall, audio, audio > 0 ? 100 * cpu / audio : 0.0);
    DestroyWindow(window);
    return true;
}
#endif

} // namespace

int main(int argc, char** argv) {
    g_logger = new StderrLogger(1);
    const std::string source = SHOW_SOURCE_DIR;
    std::vector<std::string> candidates;
    if (argc > 1)
        candidates.push_back(argv[1]);
    else
        candidates = {source + "/src/Data/TOTALLYANORIGINALTRACKNOTRIPPED.ogg",
                      source + "/tests/audio/data/stereo.ogg"};
    Bytes track;
    std::string used;
    for (const std::string& path : candidates)
        if (readFile(path, track)) {
            used = path;
            break;
        }
    if (used.empty()) {
        std::fprintf(stderr, "audio_bench: no track to read\n");
        return 1;
    }
    std::printf("track: %s (%zu bytes)\n", used.c_str(), track.size());
    if (!benchDecoder(track)) {
        std::fprintf(stderr, "audio_bench: the track does not decode\n");
        return 1;
    }
#if defined(_WIN32)
    if (!benchFeeder(track))
        return 1;
#endif
    return 0;
}
