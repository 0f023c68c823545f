// What the loaders do with files that are missing, unreadable or no image, before any GL call:
// natively GLEW's entry points are null here, so a GL call on these paths would crash.
#include "TestSupport.h"

#include "resources/FileSystem.h"
#include "resources/ShaderLoader.h"
#include "resources/TextureLoader.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// Offers one path whose file claims `size` bytes but whose reads fail.
class FailingReadProvider final : public FileSystemProvider {
  public:
    explicit FailingReadProvider(std::string path) : path(std::move(path)) {}
    bool initialise() override { return true; }
    bool exists(const char* requested) override { return path == requested; }
    bool open(const char* requested, IntrusivePointer<File>& out) override {
        if (path != requested)
            return false;
        out = new FailingFile;
        return true;
    }

  private:
    struct FailingFile final : File {
        void close() override {}
        std::uint32_t size() override { return 100; }
        void read(std::uint32_t, void*, std::uint32_t& bytesRead) override { bytesRead = 50; }
        bool readFully(std::uint32_t, void*) override { return false; }
        std::uint32_t tell() override { return 0; }
        bool seek(std::uint32_t, SeekOrigin) override { return false; }
    };
    std::string path;
};

class LoaderInput : public ::testing::Test {
  protected:
    LoaderInput() : local(new LocalFileSystem), scratch("loader-scratch"), files(new FileSystem) {
        local->addRoot(scratch.name().c_str());
        files->mount(local);
    }
    IntrusivePointer<LocalFileSystem> local;
    ScratchDirectory scratch;
    IntrusivePointer<FileSystem> files;
    LogRecorder log;
};

std::vector<LogLine> level3(std::initializer_list<std::string> texts) {
    std::vector<LogLine> lines;
    for (const std::string& text : texts)
        lines.push_back({3, text});
    return lines;
}

} // namespace

TEST_F(LoaderInput, AMissingImageIsNotFoundThenNotOpened) {
    TextureLoader loader(files);
    Texture texture;
    EXPECT_FALSE(loader.loadTexture("Images/Text/9.png", texture));
    EXPECT_EQ(log.lines(), level3({"File not found: Images/Text/9.png",
                                   "Unable to open texture: Images/Text/9.png"}));
    EXPECT_EQ(texture.name(), 0u);

    scratch.makeDirectory("Images/tunnel.jpg");
    log.clear();
    EXPECT_FALSE(loader.loadTexture("Images/tunnel.jpg", texture));
    EXPECT_EQ(log.lines(), level3({"File not found: Images/tunnel.jpg",
                                   "Unable to open texture: Images/tunnel.jpg"}));
}

TEST_F(LoaderInput, AnUnreadableImageIsReportedAsSuch) {
    files->mount(new FailingReadProvider("Images/tunnel2.jpg"));
    TextureLoader loader(files);
    Texture texture;
    EXPECT_FALSE(loader.loadTexture("Images/tunnel2.jpg", texture));
    EXPECT_EQ(log.lines(), level3({"Unable to read data from texture: Images/tunnel2.jpg"}));
    EXPECT_EQ(texture.name(), 0u);
}

TEST_F(LoaderInput, EmptyTruncatedAndForeignFilesDoNotDecode) {
    const Bytes pixels = patternPixels(16, 8, 3);
    const Bytes png = encodePng(16, 8, 3, pixels);
    const Bytes jpeg = encodeJpeg(16, 8, 3, pixels);
    scratch.write("empty.png", Bytes());
    scratch.write("half.png", Bytes(png.begin(), png.begin() + png.size() / 2));
    scratch.write("header.jpg", Bytes(jpeg.begin(), jpeg.begin() + 20));
    scratch.write("text.png", std::string("not an image at all"));
    scratch.write("bitmap.png", encodeBmp(16, 8, 3, pixels));
    TextureLoader loader(files);
    for (const char* path : {"empty.png", "half.png", "header.jpg", "text.png", "bitmap.png"}) {
        log.clear();
        Texture texture;
        EXPECT_FALSE(loader.loadTexture(path, texture)) << path;
        EXPECT_EQ(log.lines(), level3({std::string("Unable to decode image file: ") + path}));
        EXPECT_EQ(texture.name(), 0u);
    }
}

TEST_F(LoaderInput, AMissingShaderFileIsOnlyNotFound) {
    scratch.write("Shaders/simple.vsh", std::string("void main() {}"));
    ShaderLoader loader(files);
    ShaderProgram program;
    EXPECT_FALSE(loader.buildProgram("Shaders/missing.vsh", "Shaders/simple.fsh", program));
    EXPECT_EQ(log.lines(), level3({"File not found: Shaders/missing.vsh"}));
    log.clear();
    EXPECT_FALSE(loader.buildProgram("Shaders/simple.vsh", "Shaders/missing.fsh", program));
    EXPECT_EQ(log.lines(), level3({"File not found: Shaders/missing.fsh"}));
    EXPECT_EQ(program.name(), 0u);
}

TEST_F(LoaderInput, AnUnreadableShaderIsReportedAsSuch) {
    scratch.write("Shaders/simple.vsh", std::string("void main() {}"));
    files->mount(new FailingReadProvider("Shaders/simple.fsh"));
    ShaderLoader loader(files);
    ShaderProgram program;
    EXPECT_FALSE(loader.buildProgram("Shaders/simple.vsh", "Shaders/simple.fsh", program));
    EXPECT_EQ(log.lines(), level3({"Unable to read data from shader file: Shaders/simple.fsh"}));
    EXPECT_EQ(program.name(), 0u);
}

TEST_F(LoaderInput, LoadersHoldTheFileSystemUntilTheyGo) {
    IntrusivePointer<TextureLoader> textures(new TextureLoader(files));
    IntrusivePointer<ShaderLoader> shaders(new ShaderLoader(files));
    EXPECT_EQ(files->referenceCount(), 3);
    shaders.reset();
    textures.reset();
    EXPECT_EQ(files->referenceCount(), 1);
}
