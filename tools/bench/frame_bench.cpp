// Frame cost of the show's picture under the real render path, against the least a frame can
// cost: one textured full-screen quad presented to the window. Every frame ends in glFinish so
// that the driver's queueing does not hide work. The machines are noisy, so the kinds of frame
// take turns in short blocks and each ratio is the median of the per-round ratios: a slow spell
// then lands on all of them instead of on whichever happened to be running.
// The floor is the tunnel frame with a constant-colour tunnel shader (beside the bench only):
// every pass but the tunnel's own drawing, which is what the tunnel/floor ratio isolates.
//   frame_bench.exe [FRAMES [quick|gpu]]   1280x720 and 1920x1080 without antialiasing and with
//                                          MSAA 4x; quick: 1280x720 without only; gpu: 1920x1080
//                                          and 3840x2160 without, and with the highest MSAA and
//                                          coverage entries the GL offers
// Natively the frames go to the off-screen EGL context's framebuffer, with no swap. Its context
// is no debug context, as the show's is none: a GL error flag raised in a measurement makes the
// exit code 1.
#include "app/Application.h"
#include "diagnostics/StderrLogger.h"
#include "launcher/LauncherChoices.h"
#include "render/PassObserver.h"
#include "render/ScreenQuad.h"

#include <GL/glew.h>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>
#include <vector>

namespace {

double now() {
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

// GL errors raised, over every measurement.
int glFaults = 0;

// GPU time of each pass from GL_TIME_ELAPSED queries, accumulated over the measured frames.
class PassClock final : public PassObserver {
  public:
    void passBegins(const char* pass) override {
        endOpenQuery();
        Query query{pass, 0};
        glGenQueries(1, &query.name);
        glBeginQuery(GL_TIME_ELAPSED, query.name);
        queries.push_back(query);
        open = true;
    }
    void frameEnds() override {
        endOpenQuery();
        for (Query& query : queries) {
            GLuint64 nanoseconds = 0;
            glGetQueryObjectui64v(query.name, GL_QUERY_RESULT, &nanoseconds);
            glDeleteQueries(1, &query.name);
            auto& total = totals[query.pass];
            if (total.second == 0)
                order.push_back(query.pass);
            total.first += static_cast<double>(nanoseconds) * 1e-6;
            total.second += 1;
        }
        queries.clear();
    }
    double average(const std::string& pass) const {
        const auto found = totals.find(pass);
        return found == totals.end() ? 0.0 : found->second.first / found->second.second;
    }
    // This clock's passes beside the same passes of `other`.
    void report(const PassClock& other) const {
        double sum = 0, otherSum = 0;
        for (const std::string& pass : order) {
            std::printf("    %-16s %8.3f ms %8.3f ms\n", pass.c_str(), average(pass),
                        other.average(pass));
            sum += average(pass);
            otherSum += other.average(pass);
        }
        std::printf("    %-16s %8.3f ms %8.3f ms\n", "sum", sum, otherSum);
    }

  private:
    struct Query {
        std::string pass;
        GLuint name;
    };
    void endOpenQuery() {
        if (open)
            glEndQuery(GL_TIME_ELAPSED);
        open = false;
    }
    std::vector<Query> queries;
    std::map<std::string, std::pair<double, int>> totals;
    std::vector<std::string> order;
    bool open = false;
};

template <class Frame>
double millisecondsPerFrame([[maybe_unused]] Application& app, int frames, Frame&& frame) {
    const double start = now();
    for (int i = 0; i < frames; ++i) {
        frame(i);
#ifdef _WIN32
        SwapBuffers(app.window->deviceContext());
#endif
        glFinish();
    }
    return (now() - start) * 1000.0 / frames;
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const std::size_t middle = values.size() / 2;
    return values.size() % 2 != 0 ? values[middle] : (values[middle - 1] + values[middle]) / 2.0;
}

// Medians over the rounds; each ratio is the median of its per-round ratios.
struct Result {
    double baseline, text, floor, tunnel;
    double tunnelToBaseline, floorToBaseline, tunnelToFloor;
};

Result measure(int width, int height, AntialiasingValue antialiasing, int frames) {
    DisplaySettings settings{};
    settings.width = static_cast<std::uint16_t>(width);
    settings.height = static_cast<std::uint16_t>(height);
    settings.vsync = false;
    settings.aspect = static_cast<float>(width) / static_cast<float>(height);
    settings.filtering = 1; // "Trilinear", the launcher's default
    settings.coverageSampling = antialiasing.coverageSampling;
    settings.antialiasingLevel = antialiasing.level;
    Application app;
    if (!app.initPicture(settings)) {
        std::fprintf(stderr, "frame_bench: the picture did not start at %dx%d\n", width, height);
        std::exit(1);
    }
    // The least any frame pays: one textured quad over the window, presented.
    const auto baselineFrame = [&](int) {
        glBindFramebuffer(GL_DRAW_FRAMEBUFFER, app.window->framebuffer());
        glViewport(0, 0, app.window->drawableWidth(), app.window->drawableHeight());
        glActiveTexture(GL_TEXTURE0);
        glBindTexture(GL_TEXTURE_2D, app.renderTargetA.colorTexture.name());
        glUseProgram(app.simpleProgram.name());
        glBindVertexArray(app.quadVertexArray.name());
        drawScreenQuad();
    };
    // Declared after `app`, so released while its context is still current.
    ShaderProgram flatTunnel;
    if (!app.shaderLoader->buildProgram("Shaders/tunnel.vsh", "Bench/flat_tunnel.fsh",
                                        flatTunnel)) {
        std::fprintf(stderr, "frame_bench: no floor shader\n");
        std::exit(1);
    }
    // The tunnel and the floor walk through the same show times, so that both see the cubes
    // alike.
    int shown = 0, floorShown = 0;
    const auto textFrame = [&](int) { app.drawFrame(1.0f); };
    const auto tunnelFrame = [&](int) {
        app.drawFrame(31.0f + static_cast<float>(shown++) / 60.0f);
    };
    const auto floorFrame = [&](int) {
        app.tunnelScene.tunnelStandIn = &flatTunnel;
        app.drawFrame(31.0f + static_cast<float>(floorShown++) / 60.0f);
        app.tunnelScene.tunnelStandIn = nullptr;
    };
    // Warm-up: first-use compilation and allocation.
    millisecondsPerFrame(app, 5, baselineFrame);
    millisecondsPerFrame(app, 5, textFrame);
    millisecondsPerFrame(app, 5, floorFrame);
    millisecondsPerFrame(app, 5, tunnelFrame);

    const int block = 10;
    const int rounds = std::max(1, frames / block);
    std::vector<double> baseline, text, floor, tunnel, tunnelToBaseline, floorToBaseline,
        tunnelToFloor;
    for (int round = 0; round < rounds; ++round) {
        baseline.push_back(millisecondsPerFrame(app, block, baselineFrame));
        text.push_back(millisecondsPerFrame(app, block, textFrame));
        floor.push_back(millisecondsPerFrame(app, block, floorFrame));
        tunnel.push_back(millisecondsPerFrame(app, block, tunnelFrame));
        tunnelToBaseline.push_back(tunnel.back() / baseline.back());
        floorToBaseline.push_back(floor.back() / baseline.back());
        tunnelToFloor.push_back(tunnel.back() / floor.back());
    }
    const Result result{median(baseline),
                        median(text),
                        median(floor),
                        median(tunnel),
                        median(tunnelToBaseline),
                        median(floorToBaseline),
                        median(tunnelToFloor)};

    PassClock tunnelClock, floorClock;
    app.tunnelScene.passObserver = &tunnelClock;
    millisecondsPerFrame(app, frames, tunnelFrame);
    app.tunnelScene.passObserver = &floorClock;
    millisecondsPerFrame(app, frames, floorFrame);
    app.tunnelScene.passObserver = nullptr;

    const AntialiasingValue made{app.settings.coverageSampling, app.settings.antialiasingLevel};
    const std::string label = made.coverageSampling || made.level > 1
                                  ? std::string(antialiasingLabel(made).c_str())
                                  : std::string("no AA");
    std::printf("%dx%d %s: baseline %.3f ms, text %.3f ms, floor %.3f ms, tunnel %.3f ms; "
                "floor/baseline %.2f, tunnel/floor %.2f, tunnel/baseline %.2f\n",
                width, height, label.c_str(), result.baseline, result.text, result.floor,
                result.tunnel, result.floorToBaseline, result.tunnelToFloor,
                result.tunnelToBaseline);
    std::printf("  passes (GPU time from GL_TIME_ELAPSED; the swap is not included):\n"
                "    %-16s %11s %11s\n",
                "", "tunnel", "floor");
    tunnelClock.report(floorClock);
    std::fflush(stdout);
#ifndef _WIN32
    for (GLenum error = glGetError(); error != GL_NO_ERROR; error = glGetError()) {
        std::fprintf(stderr, "frame_bench: GL error 0x%04x at %dx%d\n", error, width, height);
        ++glFaults;
    }
#endif
    return result;
}

// The highest MSAA and the highest coverage entry this GL offers, for the GPU check.
std::vector<AntialiasingValue> highestEntries() {
    IntrusivePointer<OpenGLWindow> probe(new OpenGLWindow);
    if (!probe->initExtensions())
        std::exit(1);
    const AntialiasingEntries entries = antialiasingEntries(queryGraphicsLimits());
    std::vector<AntialiasingValue> chosen{AntialiasingValue{}};
    for (const bool coverage : {false, true}) {
        const AntialiasingValue* highest = nullptr;
        for (const AntialiasingValue& value : entries.values)
            if (value.coverageSampling == coverage && (coverage || value.level > 1))
                highest = &value;
        if (highest != nullptr)
            chosen.push_back(*highest);
    }
    return chosen;
}

} // namespace

int main(int argc, char** argv) {
    const int frames = argc > 1 ? std::max(10, std::atoi(argv[1])) : 120;
    g_logger = new StderrLogger(3);
#ifndef _WIN32
    OpenGLWindow::debugContexts = false;
#endif
    const std::string mode = argc > 2 ? argv[2] : "";
    if (mode == "gpu") {
        const std::vector<AntialiasingValue> antialiasing = highestEntries();
        for (const int width : {1920, 3840})
            for (const AntialiasingValue& value : antialiasing)
                measure(width, width * 9 / 16, value, frames);
    } else {
        const bool quick = mode == "quick";
        const int sizes[2][2] = {{1280, 720}, {1920, 1080}};
        Result reference{};
        for (const auto& size : sizes)
            for (int samples : {0, 4}) {
                if (quick && (size[0] != 1280 || samples != 0))
                    continue;
                const Result result = measure(size[0], size[1], {false, samples}, frames);
                if (size[0] == 1280 && samples == 0)
                    reference = result;
            }
        std::printf("floor/baseline at 1280x720 no AA: %.2f\n", reference.floorToBaseline);
        std::printf("tunnel/floor at 1280x720 no AA: %.2f\n", reference.tunnelToFloor);
        std::printf("tunnel/baseline at 1280x720 no AA: %.2f\n", reference.tunnelToBaseline);
    }
    if (glFaults > 0) {
        std::fprintf(stderr, "frame_bench: the GL reported %d errors\n", glFaults);
        return 1;
    }
    return 0;
}
