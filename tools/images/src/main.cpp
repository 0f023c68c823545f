// Writes the show's generated images. Usage:
//   imagegen tunnel <dir>      -> <dir>/tunnel.jpg, <dir>/tunnel2.jpg
//   imagegen backdrop <file>   -> the text pages' backdrop PNG
#include "image.h"
#include "textures.h"

#include <cstdio>
#include <string>

namespace {

// Both tunnel images ship at the size they are drawn. Near the screen's edges at 1920x1080 the
// wall is already magnified at 1024, and a smaller wall shows soft hexagon borders; the energy
// haze is soft, but its light streaks are a few texels wide at 1024 and smear at 256 or less.
constexpr int kTunnelSize = 1024;
constexpr int kPageWidth = 1536;
constexpr int kPageHeight = 1024;
constexpr int kJpegQuality = 93;

bool writeTunnels(const std::string& dir) {
    using namespace imagegen;
    const LinearImage wall = renderTunnelWall(kTunnelSize);
    const LinearImage energy = renderTunnelEnergy(kTunnelSize);
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
