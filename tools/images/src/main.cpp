// Writes the show's generated images. Usage:
//   imagegen tunnel <dir>      -> <dir>/tunnel.jpg, <dir>/tunnel2.jpg
//   imagegen backdrop <file>   -> the text pages' backdrop PNG
#include "image.h"
#include "textures.h"

#include <cstdio>
#include <string>

namespace {

// The tunnel images are drawn at kTunnelDetail and shrunk: the wall to 512 (a mip level less
// to walk for a software renderer, and still sharper than the screen over most of the tunnel),
// the soft energy haze to 128, which it fills without losing anything visible.
constexpr int kTunnelDetail = 1024;
constexpr int kWallShrink = 2;
constexpr int kEnergyShrink = 8;
constexpr int kPageWidth = 1536;
constexpr int kPageHeight = 1024;
constexpr int kJpegQuality = 93;

bool writeTunnels(const std::string& dir) {
    using namespace imagegen;
    const LinearImage wall = downsample(renderTunnelWall(kTunnelDetail), kWallShrink);
    const LinearImage energy = downsample(renderTunnelEnergy(kTunnelDetail), kEnergyShrink);
    return writeJpeg(dir + "/tunnel.jpg", encodeImage(wall.pixels, wall.width, wall.height),
                     kJpegQuality) &&
           writeJpeg(dir + "/tunnel2.jpg", encodeImage(energy.pixels, energy.width, energy.height),
                     kJpegQuality);
}

bool writeBackdrop(const std::string& path) {
    using namespace imagegen;
    const LinearImage backdrop = renderTextBackdrop(kPageWidth, kPageHeight);
    return writePng(path, encodeImage(backdrop.pixels, backdrop.width, backdrop.height));
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s tunnel <dir> | backdrop <file.png>\n", argv[0]);
        return 2;
    }
    const std::string command = argv[1];
    bool ok = false;
    if (command == "tunnel") {
        ok = writeTunnels(argv[2]);
    } else if (command == "backdrop") {
        ok = writeBackdrop(argv[2]);
    } else {
        std::fprintf(stderr, "unknown command: %s\n", command.c_str());
        return 2;
    }
    if (!ok) {
        std::fprintf(stderr, "imagegen: cannot write %s\n", argv[2]);
        return 1;
    }
    return 0;
}
