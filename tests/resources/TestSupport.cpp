#include "TestSupport.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <ostream>
#include <stdexcept>

#include <stb_image_write.h>

namespace {

void appendBytes(void* context, void* data, int size) {
    auto* out = static_cast<Bytes*>(context);
    const auto* bytes = static_cast<const unsigned char*>(data);
    out->insert(out->end(), bytes, bytes + size);
}

Bytes checked(Bytes bytes, int written) {
    if (written == 0 || bytes.empty())
        throw std::runtime_error("image encoding failed");
    return bytes;
}

} // namespace

ScratchDirectory::ScratchDirectory(const std::string& name) : name_(name) {
    std::filesystem::remove_all(name_);
    std::filesystem::create_directories(name_);
}

ScratchDirectory::~ScratchDirectory() {
    std::error_code ignored;
    std::filesystem::remove_all(name_, ignored);
}

void ScratchDirectory::write(const std::string& relative, const Bytes& content) const {
    const std::filesystem::path path =
        std::filesystem::path(name_) / std::filesystem::u8path(relative);
    std::filesystem::create_directories(path.parent_path());
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(content.data()),
              static_cast<std::streamsize>(content.size()));
    if (!out)
        throw std::runtime_error("cannot write " + path.string());
}

void ScratchDirectory::write(const std::string& relative, const std::string& content) const {
    write(relative, Bytes(content.begin(), content.end()));
}

void ScratchDirectory::makeDirectory(const std::string& relative) const {
    std::filesystem::create_directories(std::filesystem::path(name_) /
                                        std::filesystem::u8path(relative));
}

Bytes encodePng(int width, int height, int components, const Bytes& pixels) {
    Bytes out;
    const int written = stbi_write_png_to_func(appendBytes, &out, width, height, components,
                                               pixels.data(), width * components);
    return checked(std::move(out), written);
}

Bytes encodeJpeg(int width, int height, int components, const Bytes& pixels, int quality) {
    Bytes out;
    const int written = stbi_write_jpg_to_func(appendBytes, &out, width, height, components,
                                               pixels.data(), quality);
    return checked(std::move(out), written);
}

Bytes encodeBmp(int width, int height, int components, const Bytes& pixels) {
    Bytes out;
    const int written =
        stbi_write_bmp_to_func(appendBytes, &out, width, height, components, pixels.data());
    return checked(std::move(out), written);
}

Bytes readFixture(const std::string& name) {
    const char* source = std::getenv("SHOW_SOURCE_DIR");
    if (source == nullptr)
        throw std::runtime_error("SHOW_SOURCE_DIR is not set");
    const std::string path = std::string(source) + "/tests/resources/data/" + name;
    std::ifstream in(path, std::ios::binary);
    Bytes bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (!in.good() && !in.eof())
        throw std::runtime_error("cannot read " + path);
    if (bytes.empty())
        throw std::runtime_error("no fixture at " + path);
    return bytes;
}

Bytes patternPixels(int width, int height, int components) {
    Bytes pixels(static_cast<std::size_t>(width * height * components));
    for (std::size_t i = 0; i < pixels.size(); ++i)
        pixels[i] = static_cast<unsigned char>((i * 37 + i / 7) & 0xFF);
    return pixels;
}

Bytes flippedRows(const Bytes& pixels, int width, int height, int components) {
    const std::size_t row = static_cast<std::size_t>(width * components);
    Bytes out;
    for (int y = height - 1; y >= 0; --y)
        out.insert(out.end(), pixels.begin() + static_cast<std::ptrdiff_t>(row * y),
                   pixels.begin() + static_cast<std::ptrdiff_t>(row * (y + 1)));
    return out;
}
