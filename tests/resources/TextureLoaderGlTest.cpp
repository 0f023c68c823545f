// Textures through real GL (llvmpipe under Wine): formats, row order, bindings, failures.
#include "GlTestFixture.h"

#include "resources/TextureLoader.h"

#include <cmath>

namespace {

class TextureLoading : public GlFixture {
  protected:
    TextureLoading() : loader(new TextureLoader(files)) {}

    static GLint levelParameter(GLint level, GLenum parameter) {
        GLint value = -1;
        glGetTexLevelParameteriv(GL_TEXTURE_2D, level, parameter, &value);
        return value;
    }
    static GLint integer(GLenum parameter) {
        GLint value = -1;
        glGetIntegerv(parameter, &value);
        return value;
    }
    static Bytes readBack(GLenum format, int width, int height, int components) {
        Bytes pixels(static_cast<std::size_t>(width * height * components));
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glGetTexImage(GL_TEXTURE_2D, 0, format, GL_UNSIGNED_BYTE, pixels.data());
        return pixels;
    }

    // Loads after disturbing the state the loader must set itself.
    bool load(const char* path, Texture& texture) {
        glActiveTexture(GL_TEXTURE3);
        glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
        return loader->loadTexture(path, texture);
    }

    IntrusivePointer<TextureLoader> loader;
};

} // namespace

TEST_F(TextureLoading, JpegBecomesSrgb8AndPngWithAlphaSrgb8Alpha8) {
    scratch.write("Images/tunnel.jpg", encodeJpeg(16, 8, 3, patternPixels(16, 8, 3)));
    scratch.write("Images/Text/1.png", encodePng(16, 8, 4, patternPixels(16, 8, 4)));
    struct Case {
        const char* path;
        GLint format;
    };
    for (const Case& c :
         {Case{"Images/tunnel.jpg", GL_SRGB8}, Case{"Images/Text/1.png", GL_SRGB8_ALPHA8}}) {
        SCOPED_TRACE(c.path);
        Texture texture;
        ASSERT_TRUE(load(c.path, texture));
        EXPECT_NE(texture.name(), 0u);
        EXPECT_EQ(integer(GL_ACTIVE_TEXTURE), GL_TEXTURE0);
        EXPECT_EQ(static_cast<GLuint>(integer(GL_TEXTURE_BINDING_2D)), texture.name());
        EXPECT_EQ(levelParameter(0, GL_TEXTURE_INTERNAL_FORMAT), c.format);
        EXPECT_EQ(levelParameter(0, GL_TEXTURE_WIDTH), 16);
        EXPECT_EQ(levelParameter(0, GL_TEXTURE_HEIGHT), 8);
        // The whole mipmap chain is there.
        EXPECT_EQ(levelParameter(4, GL_TEXTURE_WIDTH), 1);
        EXPECT_EQ(levelParameter(4, GL_TEXTURE_HEIGHT), 1);
        EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    }
    EXPECT_TRUE(log.lines().empty());
}

TEST_F(TextureLoading, AProgressiveJpegLoadsLikeABaselineOne) {
    scratch.write("Images/tunnel.jpg", readFixture("progressive.jpg"));
    Texture texture;
    ASSERT_TRUE(load("Images/tunnel.jpg", texture));
    EXPECT_EQ(levelParameter(0, GL_TEXTURE_INTERNAL_FORMAT), GL_SRGB8);
    EXPECT_EQ(levelParameter(0, GL_TEXTURE_WIDTH), 16);
    EXPECT_EQ(levelParameter(0, GL_TEXTURE_HEIGHT), 8);
    // A red-to-blue gradient from top to bottom: GL's first row is the bottom, mostly blue.
    const Bytes pixels = readBack(GL_RGB, 16, 8, 3);
    EXPECT_GT(pixels[2], pixels[0]);
    EXPECT_GT(pixels[pixels.size() - 3], pixels[pixels.size() - 1]);
}

TEST_F(TextureLoading, FiveWideRgbRowsArriveUnskewedAndBottomUp) {
    const Bytes pixels = patternPixels(5, 3, 3);
    scratch.write("Images/five.png", encodePng(5, 3, 3, pixels));
    Texture texture;
    ASSERT_TRUE(load("Images/five.png", texture));
    EXPECT_EQ(readBack(GL_RGB, 5, 3, 3), flippedRows(pixels, 5, 3, 3));
    EXPECT_EQ(integer(GL_UNPACK_ALIGNMENT), 1);
}

TEST_F(TextureLoading, TheFormatComesFromTheContentNotTheName) {
    const Bytes pixels = patternPixels(6, 4, 4);
    scratch.write("Images/tunnel2.jpg", encodePng(6, 4, 4, pixels));
    Texture texture;
    ASSERT_TRUE(load("Images/tunnel2.jpg", texture));
    EXPECT_EQ(levelParameter(0, GL_TEXTURE_INTERNAL_FORMAT), GL_SRGB8_ALPHA8);
    EXPECT_EQ(readBack(GL_RGBA, 6, 4, 4), flippedRows(pixels, 6, 4, 4));
}

// Grey images would otherwise leave an incomplete texture behind a successful load.
TEST_F(TextureLoading, GreyBecomesRgbAndGreyWithAlphaRgba) {
    const Bytes grey = patternPixels(3, 2, 1);
    const Bytes greyAlpha = patternPixels(3, 2, 2);
    scratch.write("grey.png", encodePng(3, 2, 1, grey));
    scratch.write("grey-alpha.png", encodePng(3, 2, 2, greyAlpha));
    Texture texture;

    ASSERT_TRUE(load("grey.png", texture));
    EXPECT_EQ(levelParameter(0, GL_TEXTURE_INTERNAL_FORMAT), GL_SRGB8);
    Bytes expected;
    for (unsigned char g : flippedRows(grey, 3, 2, 1))
        expected.insert(expected.end(), {g, g, g});
    EXPECT_EQ(readBack(GL_RGB, 3, 2, 3), expected);

    ASSERT_TRUE(load("grey-alpha.png", texture));
    EXPECT_EQ(levelParameter(0, GL_TEXTURE_INTERNAL_FORMAT), GL_SRGB8_ALPHA8);
    expected.clear();
    const Bytes flipped = flippedRows(greyAlpha, 3, 2, 2);
    for (std::size_t i = 0; i < flipped.size(); i += 2)
        expected.insert(expected.end(), {flipped[i], flipped[i], flipped[i], flipped[i + 1]});
    EXPECT_EQ(readBack(GL_RGBA, 3, 2, 4), expected);
}

TEST_F(TextureLoading, AFailedLoadKeepsThePreviousTextureAndMakesNoObject) {
    const Bytes pixels = patternPixels(8, 8, 3);
    const Bytes png = encodePng(8, 8, 3, pixels);
    const Bytes jpeg = encodeJpeg(8, 8, 3, pixels);
    Bytes flipped = jpeg;
    flipped[2] ^= 0x01; // the first segment's marker is no marker any more
    scratch.write("Images/good.png", png);
    scratch.write("Images/empty.png", Bytes());
    scratch.write("Images/truncated.png", Bytes(png.begin(), png.end() - 30));
    scratch.write("Images/truncated.jpg", Bytes(jpeg.begin(), jpeg.begin() + 100));
    scratch.write("Images/flipped.jpg", flipped);
    scratch.write("Images/text.jpg", std::string("JFIF? no."));

    Texture texture;
    ASSERT_TRUE(load("Images/good.png", texture));
    const GLuint kept = texture.name();
    const int textures = liveTextures();
    log.clear();

    ASSERT_FALSE(load("Images/missing.png", texture));
    EXPECT_EQ(log.lines(),
              (std::vector<LogLine>{{3, "File not found: Images/missing.png"},
                                    {3, "Unable to open texture: Images/missing.png"}}));
    for (const char* path : {"Images/empty.png", "Images/truncated.png", "Images/truncated.jpg",
                             "Images/flipped.jpg", "Images/text.jpg"}) {
        SCOPED_TRACE(path);
        log.clear();
        EXPECT_FALSE(load(path, texture));
        const std::vector<LogLine> expected{
            {3, std::string("Unable to decode image file: ") + path}};
        EXPECT_EQ(log.lines(), expected);
    }
    EXPECT_EQ(texture.name(), kept);
    EXPECT_EQ(liveTextures(), textures);
    glBindTexture(GL_TEXTURE_2D, kept);
    EXPECT_EQ(readBack(GL_RGB, 8, 8, 3), flippedRows(pixels, 8, 8, 3));
}

TEST_F(TextureLoading, ReloadingReplacesTheTextureAndDeletesTheOldOne) {
    scratch.write("a.png", encodePng(4, 4, 3, patternPixels(4, 4, 3)));
    Texture texture;
    ASSERT_TRUE(load("a.png", texture));
    const int textures = liveTextures();
    ASSERT_TRUE(load("a.png", texture));
    EXPECT_EQ(liveTextures(), textures);
    texture.destroy();
    EXPECT_EQ(liveTextures(), textures - 1);
}

TEST_F(TextureLoading, ApplyFilteringSetsAnisotropyThenMinificationAndMagnification) {
    if (!GLEW_EXT_texture_filter_anisotropic && !GLEW_ARB_texture_filter_anisotropic)
        GTEST_SKIP() << "no anisotropic filtering here";
    GLfloat largest = 0;
    glGetFloatv(GL_MAX_TEXTURE_MAX_ANISOTROPY_EXT, &largest);
    scratch.write("a.png", encodePng(4, 4, 3, patternPixels(4, 4, 3)));
    Texture texture;
    ASSERT_TRUE(load("a.png", texture));
    struct Row {
        std::int32_t filtering;
        float anisotropy;
        GLint minification;
    };
    for (const Row& row :
         {Row{0, 1, GL_LINEAR_MIPMAP_NEAREST}, Row{1, 1, GL_LINEAR_MIPMAP_LINEAR},
          Row{2, 2, GL_LINEAR_MIPMAP_LINEAR}, Row{3, 4, GL_LINEAR_MIPMAP_LINEAR},
          Row{4, 8, GL_LINEAR_MIPMAP_LINEAR}, Row{5, 16, GL_LINEAR_MIPMAP_LINEAR}}) {
        SCOPED_TRACE(row.filtering);
        DisplaySettings settings{};
        settings.filtering = row.filtering;
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
        TextureLoader::applyFiltering(settings);
        GLfloat anisotropy = 0;
        GLint minification = 0, magnification = 0;
        glGetTexParameterfv(GL_TEXTURE_2D, GL_TEXTURE_MAX_ANISOTROPY_EXT, &anisotropy);
        glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, &minification);
        glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, &magnification);
        EXPECT_FLOAT_EQ(anisotropy, std::fmin(row.anisotropy, largest));
        EXPECT_EQ(minification, row.minification);
        EXPECT_EQ(magnification, GL_LINEAR);
    }

    // A GL without it (the extension hidden, as some drivers do) must not be given the
    // parameter: there it is GL_INVALID_ENUM on every texture.
    const GLboolean flags[] = {__GLEW_EXT_texture_filter_anisotropic,
                               __GLEW_ARB_texture_filter_anisotropic, __GLEW_VERSION_4_6};
    __GLEW_EXT_texture_filter_anisotropic = __GLEW_ARB_texture_filter_anisotropic =
        __GLEW_VERSION_4_6 = GL_FALSE;
    DisplaySettings settings{};
    settings.filtering = 3;
    TextureLoader::applyFiltering(settings);
    __GLEW_EXT_texture_filter_anisotropic = flags[0];
    __GLEW_ARB_texture_filter_anisotropic = flags[1];
    __GLEW_VERSION_4_6 = flags[2];
    GLfloat anisotropy = 0;
    glGetTexParameterfv(GL_TEXTURE_2D, GL_TEXTURE_MAX_ANISOTROPY_EXT, &anisotropy);
    EXPECT_FLOAT_EQ(anisotropy, std::fmin(16, largest)) << "the last row's, untouched";
}

TEST_F(TextureLoading, WithoutApplyFilteringTheGlDefaultsStay) {
    scratch.write("a.png", encodePng(4, 4, 3, patternPixels(4, 4, 3)));
    Texture texture;
    ASSERT_TRUE(load("a.png", texture));
    GLint minification = 0, wrap = 0;
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, &minification);
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, &wrap);
    EXPECT_EQ(minification, GL_NEAREST_MIPMAP_LINEAR);
    EXPECT_EQ(wrap, GL_REPEAT);
}
