// Writes the images the decoder tests make into a folder, as the fuzz target's seeds:
//   image_fuzz_seeds FOLDER
#include "TestSupport.h"

#include <cstdio>
#include <fstream>
#include <string>

namespace {

bool save(const std::string& folder, const char* name, const Bytes& bytes) {
    std::ofstream out(folder + "/" + name, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(out);
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: image_fuzz_seeds FOLDER\n");
        return 2;
    }
    const std::string folder = argv[1];
    const bool written =
        save(folder, "rgba.png", encodePng(24, 16, 4, patternPixels(24, 16, 4))) &&
        save(folder, "grey.png", encodePng(13, 9, 1, patternPixels(13, 9, 1))) &&
        save(folder, "grey-alpha.png", encodePng(3, 2, 2, patternPixels(3, 2, 2))) &&
        save(folder, "rgb.jpg", encodeJpeg(16, 8, 3, patternPixels(16, 8, 3))) &&
        save(folder, "rgb-low.jpg", encodeJpeg(24, 16, 3, patternPixels(24, 16, 3), 20));
    if (!written) {
        std::fprintf(stderr, "image_fuzz_seeds: cannot write into %s\n", folder.c_str());
        return 1;
    }
    return 0;
}
