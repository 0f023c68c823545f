// The show as a video: every frame drawn by the real render path at exactly its show time
// (start + k / fps), off-screen at any size the GL renders, whatever the screen offers.
//   video_writer.exe video [OPTIONS]            raw frames on standard output: yuv420p
//                                               (BT.709, limited range), one after the other
//   video_writer.exe sound [OPTIONS] FILE.wav   the track as the show plays it, 16-bit at its own
//                                               rate, for the same stretch of show time; prints
//                                               the number of frames of that stretch
//   video_writer.exe still [OPTIONS] DIR TIME...  one PNG per show time
//   video_writer.exe draw [OPTIONS]             the frames of `video`, drawn but not read back
//   video_writer.exe probe                      the GL it would draw with, then exit code 0
//   video_writer.exe psnr A.png B.png           the PSNR of two pictures of one size (no GL)
// OPTIONS: --size WxH (1920x1080), --fps N (60), --start S (0), --seconds L (to the track's end),
// --filtering N and --antialiasing N (the launcher's entries, the antialiasing one also by its
// label, e.g. "MSAA 4x"; defaults as the launcher's),
// --progress often|tenths (a line every half second, for a script that shows it in place on a
// terminal, or one every 10%).
// Bad input gets one line and exit code 2; a failure on the way, exit code 1. Natively the GL is
// an off-screen EGL context, a debug context: an error it reports also makes the exit code 1.
#include "app/Application.h"
#include "app/Schedule.h"
#include "audio/MusicStream.h"
#include "diagnostics/StderrLogger.h"
#include "launcher/LauncherChoices.h"
#include "resources/ImageDecoder.h"
#include "yuv420.h"

#include <GL/glew.h>
#include <algorithm>
#include <cctype>
#include <chrono>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>
#ifdef _WIN32
#include <io.h>
#endif

#define STB_IMAGE_WRITE_IMPLEMENTATION
#include <stb_image_write.h>

namespace {

const int badInput = 2;

[[noreturn]] void refuse(const char* format, ...) {
    std::va_list arguments;
    va_start(arguments, format);
    std::fputs("video_writer: ", stderr);
    std::vfprintf(stderr, format, arguments);
    std::fputc('\n', stderr);
    va_end(arguments);
    std::exit(badInput);
}

[[noreturn]] void fail(const char* message) {
    std::fprintf(stderr, "video_writer: %s\n", message);
    std::exit(1);
}

double now() {
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

// Where the writer was started: making the file system makes the executable's directory current,
// and a relative path on the command line means the caller's.
std::filesystem::path startDirectory;

// A command line's path as this process opens it; under Wine the Unix root is drive Z:.
std::string nativePath(const std::string& text) {
#ifdef _WIN32
    if (!text.empty() && text[0] == '/')
        return "Z:" + text;
#endif
    const std::filesystem::path path(text);
    return path.is_relative() ? (startDirectory / path).string() : text;
}

struct Options {
    std::string mode;
    int width = 1920;
    int height = 1080;
    double fps = 60;
    double start = 0;
    double seconds = -1; // to the track's end
    LauncherChoices choices;
    // An antialiasing entry named by its label ("MSAA 4x") instead of its index.
    std::string antialiasingLabel;
    bool progressOften = false;
    std::vector<std::string> rest;
    std::vector<float> stillTimes;
};

// The whole number (or number) that is all of `text`, else bad input naming `what`.
double number(const std::string& text, const char* what) {
    char* end = nullptr;
    const double value = std::strtod(text.c_str(), &end);
    if (text.empty() || *end != '\0' || !std::isfinite(value))
        refuse("%s \"%s\" is not a number", what, text.c_str());
    return value;
}

int wholeNumber(const std::string& text, const char* what) {
    const double value = number(text, what);
    if (value != std::floor(value) || std::fabs(value) > 1e9)
        refuse("%s \"%s\" is not a whole number", what, text.c_str());
    return static_cast<int>(value);
}

Options parse(int argc, char** argv) {
    Options options;
    if (argc < 2)
        refuse("usage: video_writer.exe video|sound|still|draw|probe|psnr [--size WxH] [--fps N] "
               "[--start S] "
               "[--seconds L] [--filtering N] [--antialiasing N] [--progress often|tenths] ...");
    options.mode = argv[1];
    if (options.mode != "video" && options.mode != "sound" && options.mode != "still" &&
        options.mode != "draw" && options.mode != "probe" && options.mode != "psnr")
        refuse("no mode \"%s\": video, sound, still, draw, probe or psnr", argv[1]);
    for (int i = 2; i < argc; ++i) {
        const std::string option = argv[i];
        if (option.rfind("--", 0) != 0) {
            options.rest.push_back(option);
            continue;
        }
        if (i + 1 >= argc)
            refuse("%s needs a value", option.c_str());
        const std::string value = argv[++i];
        if (option == "--size") {
            const std::size_t x = value.find('x');
            if (x == std::string::npos)
                refuse("the size \"%s\" is not WIDTHxHEIGHT", value.c_str());
            options.width = wholeNumber(value.substr(0, x), "the width");
            options.height = wholeNumber(value.substr(x + 1), "the height");
        } else if (option == "--fps") {
            options.fps = number(value, "the frame rate");
        } else if (option == "--start") {
            options.start = number(value, "the start");
        } else if (option == "--seconds") {
            options.seconds = number(value, "the length");
            if (options.seconds <= 0)
                refuse("the length must be above 0 s, not %s", value.c_str());
        } else if (option == "--filtering") {
            options.choices.filteringIndex = wholeNumber(value, "the filtering entry");
        } else if (option == "--antialiasing") {
            // Entries differ between GLs: a label says the same thing on every one.
            if (!value.empty() && std::isalpha(static_cast<unsigned char>(value[0])))
                options.antialiasingLabel = value;
            else
                options.choices.antialiasingIndex = wholeNumber(value, "the antialiasing entry");
        } else if (option == "--progress") {
            if (value != "often" && value != "tenths")
                refuse("--progress takes often or tenths, not \"%s\"", value.c_str());
            options.progressOften = value == "often";
        } else {
            refuse("no option %s", option.c_str());
        }
    }
    if (options.fps <= 0 || options.fps > 1000)
        refuse("the frame rate must be above 0 and at most 1000, not %g", options.fps);
    if (options.start < 0)
        refuse("the start must be 0 s or later, not %g s", options.start);
    // The stills' folder and every show time before the first is drawn: bad input leaves no
    // pictures behind, and a still with nowhere to go would fail without a word.
    if (options.mode == "still") {
        if (options.rest.size() < 2)
            refuse("still needs DIR TIME...");
        std::error_code error;
        const auto folder = std::filesystem::status(nativePath(options.rest[0]), error);
        if (!std::filesystem::exists(folder))
            refuse("there is no folder %s", options.rest[0].c_str());
        if (!std::filesystem::is_directory(folder))
            refuse("%s is not a folder", options.rest[0].c_str());
        for (std::size_t i = 1; i < options.rest.size(); ++i)
            options.stillTimes.push_back(
                static_cast<float>(number(options.rest[i], "the show time")));
    }
    return options;
}

// Checks the size and the launcher entries against what this GL offers, with a bootstrap context
// of its own, then writes the choices into settings as the launcher does.
DisplaySettings chooseSettings(Options& options) {
    GLint textureSize = 0, renderbufferSize = 0, viewport[2] = {0, 0};
    GraphicsLimits limits;
    {
        IntrusivePointer<OpenGLWindow> probe(new OpenGLWindow);
        if (!probe->initExtensions())
            fail("no OpenGL context to ask for its limits");
        glGetIntegerv(GL_MAX_TEXTURE_SIZE, &textureSize);
        glGetIntegerv(GL_MAX_RENDERBUFFER_SIZE, &renderbufferSize);
        glGetIntegerv(GL_MAX_VIEWPORT_DIMS, viewport);
        limits = queryGraphicsLimits();
    }
    const int widest = std::min({textureSize, renderbufferSize, viewport[0], 65535});
    const int tallest = std::min({textureSize, renderbufferSize, viewport[1], 65535});
    if (options.width < 1 || options.height < 1 || options.width > widest ||
        options.height > tallest)
        refuse("the size %dx%d is not one this GL renders: 1x1 to %dx%d", options.width,
               options.height, widest, tallest);
    // yuv420p halves both directions; the sound step checks for the video that follows it.
    if (options.mode != "still" && (options.width % 2 != 0 || options.height % 2 != 0))
        refuse("the size %dx%d is odd: a video's width and height must be even", options.width,
               options.height);

    const int filteringCount = static_cast<int>(filteringEntries(limits).size());
    const AntialiasingEntries antialiasing = antialiasingEntries(limits);
    const int antialiasingCount = static_cast<int>(antialiasing.labels.size());
    LauncherChoices& choices = options.choices;
    if (choices.filteringIndex < 0 || choices.filteringIndex >= filteringCount)
        refuse("no filtering entry %d: this GL offers 0 to %d", choices.filteringIndex,
               filteringCount - 1);
    if (!options.antialiasingLabel.empty()) {
        std::string offered;
        choices.antialiasingIndex = -1;
        for (int i = 0; i < antialiasingCount; ++i) {
            offered += (i == 0 ? "" : ", ") + std::string(antialiasing.labels[i].c_str());
            if (options.antialiasingLabel == antialiasing.labels[i].c_str())
                choices.antialiasingIndex = i;
        }
        if (choices.antialiasingIndex < 0)
            refuse("no antialiasing entry \"%s\": this GL offers %s",
                   options.antialiasingLabel.c_str(), offered.c_str());
    }
    if (choices.antialiasingIndex < 0 || choices.antialiasingIndex >= antialiasingCount)
        refuse("no antialiasing entry %d: this GL offers 0 to %d", choices.antialiasingIndex,
               antialiasingCount - 1);
    choices.antialiasingValues = antialiasing.values;

    DisplaySettings settings{};
    writeSettings(choices, settings);
    settings.width = static_cast<std::uint16_t>(options.width);
    settings.height = static_cast<std::uint16_t>(options.height);
    settings.aspect = static_cast<float>(options.width) / static_cast<float>(options.height);
    settings.fullscreen = false;
    settings.vsync = false;
    settings.gpuScale = false;
    return settings;
}

// The whole track, decoded by the show's own stream from the Data beside this program.
struct Track {
    std::vector<std::int16_t> samples;
    std::uint32_t sampleRate = 0;
    std::uint32_t channels = 0;
    std::size_t frames() const { return channels == 0 ? 0 : samples.size() / channels; }
};

Track readTrack() {
    IntrusivePointer<FileSystem> fileSystem(new FileSystem);
    IntrusivePointer<LocalFileSystem> local(new LocalFileSystem);
    local->addRoot("Data");
    local->initialise();
    fileSystem->mount(local);
    MusicStream stream;
    if (!stream.open(fileSystem, MusicStream::trackPath))
        fail("the track did not open");
    Track track;
    track.sampleRate = stream.sampleRate();
    track.channels = stream.channels();
    const std::uint32_t chunk = track.sampleRate;
    for (;;) {
        const std::size_t at = track.samples.size();
        track.samples.resize(at + std::size_t(chunk) * track.channels);
        const std::uint32_t got = stream.decodeFrames(track.samples.data() + at, chunk);
        track.samples.resize(at + std::size_t(got) * track.channels);
        if (got < chunk)
            return track;
    }
}

// The frames to write: the start and length asked for, the length by default to the track's end.
int frameCount(const Options& options, const Track& track) {
    const double trackSeconds = static_cast<double>(track.frames()) / track.sampleRate;
    if (options.start >= trackSeconds)
        refuse("the start %g s is past the track's end at %.3f s", options.start, trackSeconds);
    const double seconds = options.seconds > 0 ? options.seconds : trackSeconds - options.start;
    // A last frame that only begins before the end still shows.
    const double frames = std::ceil(seconds * options.fps - 1e-6);
    if (frames > 10'000'000)
        refuse("%g s at %g fps is too many frames", seconds, options.fps);
    return std::max(1, static_cast<int>(frames));
}

double showTimeOf(const Options& options, int frame) {
    return options.start + static_cast<double>(frame) / options.fps;
}

void writeSound(const Options& options, const Track& track, int frames, const std::string& path) {
    const std::uint32_t rate = track.sampleRate;
    const std::uint32_t channels = track.channels;
    // Sample 0 is show time 0; after the track's end the show plays silence.
    if (static_cast<double>(frames) / options.fps * rate * channels * 2 > 0xffffffffu - 36.0)
        refuse("%d frames at %g fps are more sound than a WAV file holds", frames, options.fps);
    const auto first = static_cast<std::size_t>(std::llround(options.start * rate));
    const auto count =
        static_cast<std::size_t>(std::llround(static_cast<double>(frames) * rate / options.fps));
    std::vector<std::int16_t> samples(count * channels, 0);
    if (first < track.frames()) {
        const std::size_t available = std::min(count, track.frames() - first);
        std::memcpy(samples.data(), track.samples.data() + first * channels,
                    available * channels * sizeof(std::int16_t));
    }
    const std::uint32_t dataBytes = static_cast<std::uint32_t>(samples.size() * 2);
    unsigned char header[44];
    const auto put32 = [&](int at, std::uint32_t value) {
        for (int i = 0; i < 4; ++i)
            header[at + i] = static_cast<unsigned char>(value >> (8 * i));
    };
    const auto put16 = [&](int at, std::uint32_t value) {
        header[at] = static_cast<unsigned char>(value);
        header[at + 1] = static_cast<unsigned char>(value >> 8);
    };
    std::memcpy(header, "RIFF....WAVEfmt ", 16);
    put32(4, 36 + dataBytes);
    put32(16, 16);
    put16(20, 1); // PCM
    put16(22, channels);
    put32(24, rate);
    put32(28, rate * channels * 2);
    put16(32, channels * 2);
    put16(34, 16);
    std::memcpy(header + 36, "data", 4);
    put32(40, dataBytes);
    FILE* file = std::fopen(nativePath(path).c_str(), "wb");
    if (file == nullptr)
        refuse("cannot write %s", path.c_str());
    const bool written = std::fwrite(header, sizeof header, 1, file) == 1 &&
                         std::fwrite(samples.data(), 2, samples.size(), file) == samples.size();
    if (std::fclose(file) != 0 || !written)
        fail("the sound file was not written in full");
    // What the video of the same options must hold.
    std::printf("%d\n", frames);
}

// Frames done of all, the rate so far and the time left, a line at a time: Wine's console would
// turn a carriage return on a terminal into a stream of escape sequences, so the script puts
// the lines in place itself.
class Progress {
  public:
    Progress(int total, bool often) : total(total), often(often), began(now()) {}
    void frameDone(int done) {
        const int tenth = done * 10 / total;
        const bool due = often ? now() - lastShown >= 0.5 || done == total : tenth > lastTenth;
        if (!due)
            return;
        lastTenth = tenth;
        lastShown = now();
        const double elapsed = lastShown - began;
        const double fps = elapsed > 0 ? done / elapsed : 0;
        const int left = fps > 0 ? static_cast<int>((total - done) / fps + 0.5) : 0;
        std::fprintf(stderr, "video_writer: frame %d of %d, %.2f fps, %d:%02d left\n", done, total,
                     fps, left / 60, left % 60);
        std::fflush(stderr);
    }
    void summary(int frames) const {
        const double elapsed = now() - began;
        std::fprintf(stderr, "video_writer: %d frames in %.3f s, %.3f fps\n", frames, elapsed,
                     frames / elapsed);
    }

  private:
    int total;
    bool often;
    double began;
    double lastShown = 0;
    int lastTenth = 0;
};

// The off-screen output frames are presented to, and the pixel-pack buffers that read them back
// while the next frames are drawn. Declared after the Application, so released while its context
// is current.
struct Readback {
    static const int ringSize = 2;
    Framebuffer framebuffer;
    Renderbuffer color;
    GpuBuffer ring[ringSize];
    std::vector<std::uint8_t> yuv;
    int width = 0;
    int height = 0;
    std::size_t frameBytes() const { return std::size_t(width) * height * 4; }

    bool init(Application& app, int w, int h) {
        width = w;
        height = h;
        color.recreate();
        glBindRenderbuffer(GL_RENDERBUFFER, color.name());
        // sRGB like the window's back buffer, so the same bytes come out as it would show.
        glRenderbufferStorage(GL_RENDERBUFFER, GL_SRGB8_ALPHA8, width, height);
        framebuffer.recreate();
        glBindFramebuffer(GL_DRAW_FRAMEBUFFER, framebuffer.name());
        glFramebufferRenderbuffer(GL_DRAW_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER,
                                  color.name());
        if (glCheckFramebufferStatus(GL_DRAW_FRAMEBUFFER) != GL_FRAMEBUFFER_COMPLETE)
            return false;
        for (GpuBuffer& buffer : ring) {
            buffer.recreate(GL_PIXEL_PACK_BUFFER);
            glBindBuffer(GL_PIXEL_PACK_BUFFER, buffer.name());
            glBufferData(GL_PIXEL_PACK_BUFFER, static_cast<GLsizeiptr>(frameBytes()), nullptr,
                         GL_STREAM_READ);
        }
        glBindBuffer(GL_PIXEL_PACK_BUFFER, 0);
        yuv.resize(yuv420Bytes(width, height));
        app.offscreenOutput = FrameOutput{framebuffer.name(), width, height};
        return true;
    }
    // Starts reading the output into a buffer of the ring, leaving the next frame free to be
    // drawn meanwhile.
    void read(int slot) const {
        glBindBuffer(GL_PIXEL_PACK_BUFFER, ring[slot].name());
        readInto(GL_RGBA, nullptr);
        glBindBuffer(GL_PIXEL_PACK_BUFFER, 0);
    }
    void readInto(GLenum format, void* destination) const {
        glBindFramebuffer(GL_READ_FRAMEBUFFER, framebuffer.name());
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glReadPixels(0, 0, width, height, format, GL_UNSIGNED_BYTE, destination);
    }
    bool deliver(int slot, std::FILE* out) {
        glBindBuffer(GL_PIXEL_PACK_BUFFER, ring[slot].name());
        const void* pixels = glMapBuffer(GL_PIXEL_PACK_BUFFER, GL_READ_ONLY);
        if (pixels != nullptr)
            rgbaToYuv420(static_cast<const std::uint8_t*>(pixels), width, height, yuv.data());
        glUnmapBuffer(GL_PIXEL_PACK_BUFFER);
        glBindBuffer(GL_PIXEL_PACK_BUFFER, 0);
        return pixels != nullptr && std::fwrite(yuv.data(), 1, yuv.size(), out) == yuv.size();
    }
};

int writeVideo(Application& app, Readback& readback, const Options& options, int frames) {
#ifdef _WIN32
    // Raw bytes: the C runtime's text mode would turn every 10 into 13 10.
    _setmode(_fileno(stdout), _O_BINARY);
#elif defined(F_SETPIPE_SZ)
    // A frame is megabytes: through a pipe's default 64 KiB the writer and the encoder would take
    // turns dozens of times per frame. Where the system allows less, the pipe stays as it is.
    fcntl(fileno(stdout), F_SETPIPE_SZ, 1 << 20);
#endif
    std::FILE* const out = stdout;
    Progress progress(frames, options.progressOften);
    const auto deliver = [&](int frame) {
        if (!readback.deliver(frame % Readback::ringSize, out))
            fail("the frames' reader stopped taking them");
        progress.frameDone(frame + 1);
    };
    for (int k = 0; k < frames; ++k) {
        app.drawFrame(singlePrecisionShowTime(showTimeOf(options, k)));
        // The previous frame is converted and written while this one is drawn: where the GL
        // draws on the CPU, reading a frame back waits for its drawing to end.
        glFlush();
        if (k > 0)
            deliver(k - 1);
        readback.read(k % Readback::ringSize);
    }
    deliver(frames - 1);
    if (std::fflush(out) != 0)
        fail("the frames' reader stopped taking them");
    progress.summary(frames);
    return 0;
}

int drawOnly(Application& app, const Options& options, int frames) {
    Progress progress(frames, options.progressOften);
    for (int k = 0; k < frames; ++k) {
        app.drawFrame(singlePrecisionShowTime(showTimeOf(options, k)));
        glFlush();
        if (k + 1 < frames)
            progress.frameDone(k + 1);
    }
    glFinish();
    progress.frameDone(frames);
    progress.summary(frames);
    return 0;
}

std::string antialiasingLabel(const DisplaySettings& settings) {
    if (settings.coverageSampling)
        return "csaa" + std::to_string(settings.antialiasingLevel);
    return settings.antialiasingLevel > 1 ? "msaa" + std::to_string(settings.antialiasingLevel)
                                          : std::string("noaa");
}

std::string filteringLabel(int entry) {
    if (entry == 0)
        return "bilinear";
    if (entry == 1)
        return "trilinear";
    return "aniso" + std::to_string(1 << (entry - 1));
}

int writeStills(Application& app, const Readback& readback, const Options& options) {
    std::vector<unsigned char> pixels(std::size_t(readback.width) * readback.height * 3);
    int failures = 0;
    for (const float time : options.stillTimes) {
        app.drawFrame(time);
        // The picture has no transparency; what the alpha channel holds is not shown.
        readback.readInto(GL_RGB, pixels.data());
        char name[160];
        std::snprintf(name, sizeof name, "/frame-%dx%d-%s-%s-t%05.2f.png", readback.width,
                      readback.height, antialiasingLabel(app.settings).c_str(),
                      filteringLabel(app.settings.filtering).c_str(), static_cast<double>(time));
        const std::string path = options.rest[0] + name;
        // GL rows run bottom-up, PNG rows top-down.
        stbi_flip_vertically_on_write(1);
        if (stbi_write_png(nativePath(path).c_str(), readback.width, readback.height, 3,
                           pixels.data(), readback.width * 3) != 0)
            std::printf("%s\n", path.c_str());
        else {
            std::fprintf(stderr, "video_writer: %s was not written\n", path.c_str());
            ++failures;
        }
    }
    return failures == 0 ? 0 : 1;
}

DecodedImage readPicture(const std::string& path) {
    std::ifstream file(nativePath(path), std::ios::binary);
    const std::vector<unsigned char> bytes((std::istreambuf_iterator<char>(file)), {});
    DecodedImage image;
    if (!file.is_open() || !decodeImage(bytes.data(), bytes.size(), image))
        refuse("%s is not a picture this program reads", path.c_str());
    return image;
}

// Over the colour channels, so that pictures with and without alpha compare; "inf" when equal.
int comparePictures(const Options& options) {
    if (options.rest.size() != 2)
        refuse("psnr needs A.png B.png");
    const DecodedImage a = readPicture(options.rest[0]), b = readPicture(options.rest[1]);
    if (a.width != b.width || a.height != b.height)
        refuse("%s is %dx%d, %s %dx%d", options.rest[0].c_str(), a.width, a.height,
               options.rest[1].c_str(), b.width, b.height);
    double squares = 0;
    const std::size_t pixels = std::size_t(a.width) * a.height;
    for (std::size_t i = 0; i < pixels; ++i)
        for (int c = 0; c < 3; ++c) {
            const double d = a.pixels[i * a.components + c] - b.pixels[i * b.components + c];
            squares += d * d;
        }
    if (squares == 0)
        std::printf("PSNR inf dB\n");
    else
        std::printf("PSNR %.2f dB\n", 10 * std::log10(255.0 * 255.0 * 3 * pixels / squares));
    return 0;
}

int run(const Options& options, const DisplaySettings& settings, Application& app) {
    int frames = 0;
    if (options.mode != "still" && options.mode != "probe") {
        const Track track = readTrack();
        frames = frameCount(options, track);
        if (options.mode == "sound") {
            if (options.rest.size() != 1)
                refuse("sound needs one FILE.wav");
            writeSound(options, track, frames, options.rest[0]);
            return 0;
        }
    }

    if (options.mode == "probe") {
        // The context and its driver line are the answer: the scenes' files are not read.
        app.window = new OpenGLWindow;
        return app.window->initExtensions() && app.window->createWindow(settings) ? 0 : 1;
    }
    if (!app.initPicture(settings))
        fail("the picture did not start");
    Readback readback;
    if (!readback.init(app, options.width, options.height))
        fail("the off-screen output is incomplete");
    if (options.mode == "still")
        return writeStills(app, readback, options);
    if (options.mode == "draw")
        return drawOnly(app, options, frames);
    return writeVideo(app, readback, options, frames);
}

} // namespace

int main(int argc, char** argv) {
    startDirectory = std::filesystem::current_path();
    // Level 1: the GL it draws with is the first line.
    g_logger = new StderrLogger(1);
    Options options = parse(argc, argv);
    if (options.mode == "psnr")
        return comparePictures(options);
    const DisplaySettings settings = chooseSettings(options);
    Application app;
    const int result = run(options, settings, app);
#ifndef _WIN32
    if (app.window && app.window->debugFaults > 0) {
        std::fprintf(stderr, "video_writer: the GL reported %d errors\n", app.window->debugFaults);
        return 1;
    }
#endif
    return result;
}
