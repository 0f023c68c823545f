// The picture from its pixels: the real render path on llvmpipe, frames drawn at
// chosen show times and read back from the window and from the render targets.
#include "app/Application.h"
#include "render/PassObserver.h"
#include "resources/ImageDecoder.h"
#include "support/GlTestContext.h"
#include "support/LogRecorder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace {

struct Pixels {
    int width = 0;
    int height = 0;
    int components = 0;
    std::vector<unsigned char> data; // rows bottom-up, as GL reads them

    int at(int x, int y, int c) const {
        return data[(static_cast<std::size_t>(y) * width + x) * components + c];
    }
};

Pixels read(GLenum format, int components, int width, int height) {
    Pixels p{width, height, components, {}};
    p.data.resize(static_cast<std::size_t>(width) * height * components);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, width, height, format, GL_UNSIGNED_BYTE, p.data.data());
    return p;
}

Pixels readWindow(const Application& app) {
    const GLuint window = app.window->framebuffer();
    glBindFramebuffer(GL_READ_FRAMEBUFFER, window);
    glReadBuffer(window == 0 ? GL_BACK : GL_COLOR_ATTACHMENT0);
    return read(GL_RGB, 3, app.window->drawableWidth(), app.window->drawableHeight());
}

Pixels readTarget(const RenderTarget& target) {
    glBindFramebuffer(GL_READ_FRAMEBUFFER, target.framebuffer.name());
    return read(GL_RGBA, 4, target.width, target.height);
}

// Means of an n x m grid of blocks, per colour channel: comparable across sizes.
std::vector<double> blocks(const Pixels& p, int columns, int rows) {
    std::vector<double> means(static_cast<std::size_t>(columns) * rows * 3, 0.0);
    std::vector<int> counts(static_cast<std::size_t>(columns) * rows, 0);
    for (int y = 0; y < p.height; ++y)
        for (int x = 0; x < p.width; ++x) {
            const std::size_t b =
                static_cast<std::size_t>(y * rows / p.height) * columns + x * columns / p.width;
            for (int c = 0; c < 3; ++c)
                means[b * 3 + c] += p.at(x, y, c);
            ++counts[b];
        }
    for (std::size_t i = 0; i < means.size(); ++i)
        means[i] /= counts[i / 3];
    return means;
}

double meanDifference(const std::vector<double>& a, const std::vector<double>& b) {
    double sum = 0;
    for (std::size_t i = 0; i < a.size(); ++i)
        sum += std::fabs(a[i] - b[i]);
    return sum / static_cast<double>(a.size());
}

Pixels page(int number) {
    std::ifstream file("Data/Images/Text/" + std::to_string(number) + ".png", std::ios::binary);
    const std::vector<unsigned char> bytes((std::istreambuf_iterator<char>(file)), {});
    DecodedImage image;
    EXPECT_TRUE(decodeImage(bytes.data(), bytes.size(), image));
    Pixels p{image.width, image.height, image.components, {}};
    p.data.assign(image.pixels.get(), image.pixels.get() + static_cast<std::size_t>(image.width) *
                                                               image.height * image.components);
    return p;
}

double luminanceSpread(const Pixels& p) {
    double sum = 0, squares = 0;
    const double n = static_cast<double>(p.width) * p.height;
    for (int y = 0; y < p.height; ++y)
        for (int x = 0; x < p.width; ++x) {
            const double l =
                0.2126 * p.at(x, y, 0) + 0.7152 * p.at(x, y, 1) + 0.0722 * p.at(x, y, 2);
            sum += l;
            squares += l * l;
        }
    return std::sqrt(squares / n - (sum / n) * (sum / n));
}

DisplaySettings settingsFor(int width, int height, int samples) {
    DisplaySettings s{};
    s.width = static_cast<std::uint16_t>(width);
    s.height = static_cast<std::uint16_t>(height);
    s.aspect = static_cast<float>(width) / static_cast<float>(height);
    s.filtering = 1;
    s.antialiasingLevel = samples;
    return s;
}

// Reads the render targets as the tunnel frame passes through: the resolved cube image before
// the glow is made, the composite before and after the glow is added.
class TargetSnapshots final : public PassObserver {
  public:
    explicit TargetSnapshots(Application& app) : app(app) {}
    void passBegins(const char* pass) override {
        const std::string name = pass;
        if (name == "contrast")
            cubes = readTarget(app.renderTargetB);
        else if (name == "glow")
            beforeGlow = readTarget(app.renderTargetA);
        else if (name == "present")
            afterGlow = readTarget(app.renderTargetA);
    }
    void frameEnds() override {}
    Application& app;
    Pixels cubes, beforeGlow, afterGlow;
};

// Where the tunnel's fog is thickest: the centre of the darkest 16 x 16 block.
std::pair<int, int> vanishingPoint(const Pixels& p) {
    double darkest = 1e9;
    std::pair<int, int> centre{0, 0};
    for (int by = 0; by + 16 <= p.height; by += 8)
        for (int bx = 0; bx + 16 <= p.width; bx += 8) {
            double sum = 0;
            for (int y = by; y < by + 16; ++y)
                for (int x = bx; x < bx + 16; ++x)
                    sum += p.at(x, y, 0) + p.at(x, y, 1) + p.at(x, y, 2);
            if (sum < darkest) {
                darkest = sum;
                centre = {bx + 8, by + 8};
            }
        }
    return centre;
}

// The far wall: 40 to 100 pixels from the vanishing point and below it, away from the cubes.
template <class Visit> void forFarWall(std::pair<int, int> centre, Visit visit) {
    for (int dy = -100; dy < 0; ++dy)
        for (int dx = -100; dx <= 100; ++dx) {
            const int r2 = dx * dx + dy * dy;
            if (r2 >= 40 * 40 && r2 <= 100 * 100)
                visit(centre.first + dx, centre.second + dy);
        }
}

// Fine detail of the far wall: the mean squared Laplacian of the luma of 2 x 2 blocks. The blocks
// average away the tunnel's dither and interlace, which are the same whatever the filtering.
double farWallDetail(const Pixels& p, std::pair<int, int> centre) {
    const auto block = [&](int x, int y) {
        double sum = 0;
        for (int c = 0; c < 3; ++c) {
            const double weight = c == 0 ? 0.2126 : c == 1 ? 0.7152 : 0.0722;
            sum += weight * (p.at(2 * x, 2 * y, c) + p.at(2 * x + 1, 2 * y, c) +
                             p.at(2 * x, 2 * y + 1, c) + p.at(2 * x + 1, 2 * y + 1, c));
        }
        return sum / 4;
    };
    double sum = 0;
    int count = 0;
    forFarWall(centre, [&](int x, int y) {
        if (x % 2 != 0 || y % 2 != 0)
            return;
        const int bx = x / 2, by = y / 2;
        const double laplacian = 4 * block(bx, by) - block(bx - 1, by) - block(bx + 1, by) -
                                 block(bx, by - 1) - block(bx, by + 1);
        sum += laplacian * laplacian;
        ++count;
    });
    return sum / count;
}

// The share of far-wall pixels that differ by more than 2 levels in some channel.
double farWallDifference(const Pixels& a, const Pixels& b, std::pair<int, int> centre) {
    int differing = 0, count = 0;
    forFarWall(centre, [&](int x, int y) {
        bool differs = false;
        for (int c = 0; c < 3; ++c)
            differs = differs || std::abs(a.at(x, y, c) - b.at(x, y, c)) > 2;
        differing += differs;
        ++count;
    });
    return static_cast<double>(differing) / count;
}

// The driver's strings (three lines under Windows, one natively) and nothing else.
void expectOnlyDriverLines(const LogRecorder& logger) {
    EXPECT_FALSE(logger.lines().empty());
    for (const LogLine& line : logger.lines()) {
        EXPECT_EQ(line.level, LogDriver) << line;
        std::printf("GL: %s", line.text.c_str());
    }
}

class Picture : public ::testing::Test {
  protected:
    LogRecorder logger;
};

} // namespace

TEST_F(Picture, TextPagesAndTheTunnelFollowTheSchedule) {
    Application app;
    ASSERT_TRUE(app.initPicture(settingsFor(1280, 720, 0)));
    const auto page1 = blocks(page(1), 32, 18);
    const auto page2 = blocks(page(2), 32, 18);

    app.drawFrame(1.0f);
    const auto at1 = blocks(readWindow(app), 32, 18);
    EXPECT_LT(meanDifference(at1, page1), 4.0) << "page 1 fills the window at t = 1";
    EXPECT_GT(meanDifference(at1, page2), 4.0);

    app.drawFrame(5.0f);
    const auto at5 = blocks(readWindow(app), 32, 18);
    EXPECT_LT(meanDifference(at5, page2), 4.0) << "page 2 at t = 5";

    for (float t : {3.0f, 31.0f}) {
        app.drawFrame(t);
        const Pixels frame = readWindow(app);
        EXPECT_GT(luminanceSpread(frame), 20.0)
            << "the tunnel at t = " << t << " is far from uniform";
        EXPECT_GT(meanDifference(blocks(frame, 32, 18), page1), 10.0);
    }
    expectOnlyDriverLines(logger);
}

TEST_F(Picture, TheGlowBrightensAroundTheCubesOnly) {
    Application app;
    ASSERT_TRUE(app.initPicture(settingsFor(1280, 720, 0)));
    TargetSnapshots snapshots(app);
    app.tunnelScene.passObserver = &snapshots;
    app.drawFrame(31.0f);
    app.tunnelScene.passObserver = nullptr;
    ASSERT_FALSE(snapshots.cubes.data.empty());

    // Pixels near a cube (within 24 px of its coverage) but not on it, against the far corners.
    const Pixels& cubes = snapshots.cubes;
    double nearGain = 0, farGain = 0;
    int nearCount = 0, farCount = 0;
    const int reach = 24;
    for (int y = 0; y < cubes.height; y += 2)
        for (int x = 0; x < cubes.width; x += 2) {
            if (cubes.at(x, y, 3) > 0)
                continue;
            bool isNear = false;
            for (int dy = -reach; dy <= reach && !isNear; dy += 4)
                for (int dx = -reach; dx <= reach && !isNear; dx += 4) {
                    const int nx = x + dx, ny = y + dy;
                    isNear = nx >= 0 && ny >= 0 && nx < cubes.width && ny < cubes.height &&
                             cubes.at(nx, ny, 3) > 0;
                }
            const bool corner =
                (x < 160 || x >= cubes.width - 160) && (y < 90 || y >= cubes.height - 90);
            if (!isNear && !corner)
                continue;
            double gain = 0;
            for (int c = 0; c < 3; ++c)
                gain += snapshots.afterGlow.at(x, y, c) - snapshots.beforeGlow.at(x, y, c);
            (isNear ? nearGain : farGain) += gain / 3;
            ++(isNear ? nearCount : farCount);
        }
    ASSERT_GT(nearCount, 100) << "the cubes are on screen";
    ASSERT_GT(farCount, 100);
    EXPECT_GT(nearGain / nearCount, 6.0) << "a halo around the cubes";
    EXPECT_LT(farGain / farCount, 0.5) << "nothing added far from them";
}

// The glow pass is scissored to a box around the cubes; the glow must have faded to nothing at
// the box's border, or the box cuts it off with a visible edge.
TEST_F(Picture, TheGlowHasFadedOutAtTheBorderOfItsBox) {
    Application app;
    ASSERT_TRUE(app.initPicture(settingsFor(1280, 720, 0)));
    for (float t : {3.0f, 31.0f}) {
        TargetSnapshots snapshots(app);
        app.tunnelScene.passObserver = &snapshots;
        app.drawFrame(t);
        app.tunnelScene.passObserver = nullptr;
        GLint box[4] = {};
        glGetIntegerv(GL_SCISSOR_BOX, box);
        ASSERT_TRUE(box[0] > 0 && box[1] > 0 && box[0] + box[2] < 1280 && box[1] + box[3] < 720)
            << "a box inside the frame at t = " << t;

        int largest = 0;
        for (int y = box[1]; y < box[1] + box[3]; ++y)
            for (int x = box[0]; x < box[0] + box[2]; ++x) {
                const bool border = x < box[0] + 2 || x >= box[0] + box[2] - 2 || y < box[1] + 2 ||
                                    y >= box[1] + box[3] - 2;
                for (int c = 0; border && c < 3; ++c)
                    largest = std::max(largest, snapshots.afterGlow.at(x, y, c) -
                                                    snapshots.beforeGlow.at(x, y, c));
            }
        EXPECT_LE(largest, 1) << "glow added at the border of the box at t = " << t;
    }
}

TEST_F(Picture, MultisamplingSmoothsTheCubeEdges) {
    // Coverage shows in the resolved alpha: a cube face is at least half opaque, so values
    // between 0 and that exist only where samples were partly covered.
    std::map<int, int> partial;
    for (int samples : {0, 4}) {
        Application app;
        ASSERT_TRUE(app.initPicture(settingsFor(1280, 720, samples)));
        TargetSnapshots snapshots(app);
        app.tunnelScene.passObserver = &snapshots;
        app.drawFrame(31.0f);
        app.tunnelScene.passObserver = nullptr;
        int count = 0;
        for (std::size_t i = 3; i < snapshots.cubes.data.size(); i += 4)
            count += snapshots.cubes.data[i] > 0 && snapshots.cubes.data[i] < 110;
        partial[samples] = count;
    }
    EXPECT_LT(partial[0], 10);
    EXPECT_GT(partial[4], 50) << "edge pixels blend between cube and background (without: "
                              << partial[0] << ")";
}

// The launcher's filtering entry reaches the screen. Far down the tunnel the wall is seen at a
// grazing angle: anisotropic filtering keeps hexagons there that bilinear filtering blurs away,
// and trilinear blends the mip levels that bilinear switches between.
TEST_F(Picture, TheLaunchersFilteringReachesTheFarWall) {
    std::map<int, Pixels> frames; // by entry: 0 "Bilinear", 1 "Trilinear", 5 "Anisotropic 16x"
    for (int filtering : {0, 1, 5}) {
        DisplaySettings settings = settingsFor(1280, 720, 0);
        settings.filtering = filtering;
        Application app;
        ASSERT_TRUE(app.initPicture(settings));
        GLfloat maxAnisotropy = 0;
        glGetFloatv(GL_MAX_TEXTURE_MAX_ANISOTROPY_EXT, &maxAnisotropy);
        ASSERT_TRUE(GLEW_EXT_texture_filter_anisotropic && maxAnisotropy >= 16)
            << "the launcher would not offer 16x";
        app.drawFrame(3.0f);
        frames[filtering] = readWindow(app);
    }
    const auto centre = vanishingPoint(frames[0]);
    ASSERT_EQ(vanishingPoint(frames[5]), centre);
    ASSERT_TRUE(centre.first >= 102 && centre.first < 1280 - 102 && centre.second >= 102)
        << "the far wall is on screen";

    const double bilinear = farWallDetail(frames[0], centre);
    EXPECT_GT(farWallDetail(frames[5], centre), bilinear * 1.3)
        << "bilinear " << bilinear << ", trilinear " << farWallDetail(frames[1], centre);
    EXPECT_GT(farWallDifference(frames[0], frames[1], centre), 0.08);
}

// A window whose driver does not encode sRGB (taken here by the seam, since this GL's window
// does) is handed the already encoded bytes: the tunnel's target exactly, and a picture as
// today's. (This GL's own encoding of decoded values is off by up to 7 levels.)
TEST_F(Picture, AWindowThatDoesNotEncodeSrgbGetsTheEncodedBytes) {
    Application app;
    ASSERT_TRUE(app.initPicture(settingsFor(1280, 720, 0)));
    for (float time : {1.0f, 31.0f, 63.0f}) {
        app.window->encodesSrgb = true;
        app.drawFrame(time);
        const Pixels encoded = readWindow(app);
        app.window->encodesSrgb = false;
        app.drawFrame(time);
        const Pixels passed = readWindow(app);
        double squares = 0;
        for (std::size_t i = 0; i < encoded.data.size(); ++i)
            squares += std::pow(encoded.data[i] - passed.data[i], 2);
        const double psnr = 10 * std::log10(65025.0 * encoded.data.size() / squares);
        std::printf("at %g s: PSNR %.2f dB against the encoding window\n", time, psnr);
        EXPECT_GT(psnr, 40.0) << "at " << time << " s";
        const Pixels target = readTarget(app.renderTargetA); // RGBA, the window RGB
        for (std::size_t i = 0; time > 30 && i < passed.data.size(); ++i)
            ASSERT_EQ(passed.data[i], target.data[i / 3 * 4 + i % 3]) << "at " << time << " s";
    }
    expectOnlyDriverLines(logger);
}

TEST_F(Picture, AlternatorFlipsOnEveryTunnelUpdate) {
    Application app;
    ASSERT_TRUE(app.initPicture(settingsFor(640, 480, 0)));
    std::vector<float> sent;
    for (int i = 0; i < 3; ++i) {
        app.tunnelScene.update(2.5);
        GLint program = 0;
        glGetIntegerv(GL_CURRENT_PROGRAM, &program);
        float value = -1;
        glGetUniformfv(static_cast<GLuint>(program),
                       glGetUniformLocation(static_cast<GLuint>(program), "alternator"), &value);
        sent.push_back(value);
    }
    EXPECT_EQ(sent, (std::vector<float>{1.0f, 0.0f, 1.0f}));
}

TEST(RenderTargets, CompleteWithoutAndWithMultisampling) {
    GlTestContext gl;
    ASSERT_TRUE(gl.create());
    LogRecorder logger;
    for (int samples : {0, 1, 2, 4}) {
        RenderTarget target;
        EXPECT_TRUE(target.init(settingsFor(640, 480, samples), 640, 480)) << samples << " samples";
        EXPECT_EQ(target.multisampled, samples > 1);
        EXPECT_EQ(target.drawFramebuffer(),
                  samples > 1 ? target.multisampleFramebuffer.name() : target.framebuffer.name());
    }
    EXPECT_TRUE(logger.lines().empty());
}

GLint renderbufferSamples(const Renderbuffer& buffer) {
    GLint samples = -1;
    glBindRenderbuffer(GL_RENDERBUFFER, buffer.name());
    glGetRenderbufferParameteriv(GL_RENDERBUFFER, GL_RENDERBUFFER_SAMPLES, &samples);
    return samples;
}

// Only the cubes' target is multisampled; a count the driver does not complete steps down to
// the highest it does, with one line naming both.
TEST(RenderTargets, OnlyTheCubesAreMultisampledAtACountThatCompletes) {
    LogRecorder logger;
    Application app;
    ASSERT_TRUE(app.initPicture(settingsFor(640, 480, 1024)));
    GLint maxSamples = 0;
    glGetIntegerv(GL_MAX_SAMPLES, &maxSamples);
    int expected = 1;
    while (expected * 2 <= maxSamples)
        expected *= 2;
    EXPECT_EQ(app.settings.antialiasingLevel, expected);
    EXPECT_EQ(renderbufferSamples(app.renderTargetB.depthStencilBuffer), expected);
    EXPECT_EQ(renderbufferSamples(app.renderTargetB.multisampleColorBuffer), expected);
    EXPECT_FALSE(app.renderTargetA.multisampled);
    EXPECT_EQ(renderbufferSamples(app.renderTargetA.depthStencilBuffer), 0);
    EXPECT_EQ(logger.texts().back(), "Antialiasing MSAA 1024x is not complete on this GL: MSAA " +
                                         std::to_string(expected) + "x instead");
}

TEST(RenderTargets, UnknownCoverageModesFailStartUp) {
    LogRecorder logger;
    for (int mode : {-1, 4, 7}) {
        DisplaySettings settings = settingsFor(640, 480, mode);
        settings.coverageSampling = true;
        Application app;
        EXPECT_FALSE(app.initPicture(settings)) << "coverage mode " << mode;
        ASSERT_FALSE(logger.lines().empty());
        EXPECT_EQ(logger.lines().back(), (LogLine{4, "Framebuffer incomplete"}));
        logger.clear();
    }
}
