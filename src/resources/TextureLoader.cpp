#include "resources/TextureLoader.h"

#include "diagnostics/Format.h"
#include "diagnostics/Logger.h"
#include "resources/ImageDecoder.h"

#include <GL/glew.h>

#include <climits>
#include <cstdint>
#include <memory>

namespace {

void logFailure(const char* format, const char* path) {
    g_logger->write(LogFile, formatString(format, path).c_str());
}

} // namespace

bool TextureLoader::loadTexture(const char* path, Texture& texture) {
    DecodedImage image;
    {
        IntrusivePointer<File> file;
        if (!fileSystem->open(path, file)) {
            logFailure("Unable to open texture: %s", path);
            return false;
        }
        const std::uint32_t size = file->size();
        // The decoder takes at most INT_MAX bytes: a larger file cannot be an image it reads.
        if (size > static_cast<std::uint32_t>(INT_MAX)) {
            logFailure("Unable to decode image file: %s", path);
            return false;
        }
        const std::unique_ptr<unsigned char[]> bytes(new unsigned char[size]);
        if (!file->readFully(size, bytes.get())) {
            logFailure("Unable to read data from texture: %s", path);
            return false;
        }
        if (!decodeImage(bytes.get(), size, image)) {
            logFailure("Unable to decode image file: %s", path);
            return false;
        }
    }

    // Only now, with an image in hand, does the old texture go.
    texture.recreate();
    glActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_2D, texture.name());
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    const bool alpha = image.components == 4;
    glTexImage2D(GL_TEXTURE_2D, 0, alpha ? GL_SRGB8_ALPHA8 : GL_SRGB8, image.width, image.height, 0,
                 alpha ? GL_RGBA : GL_RGB, GL_UNSIGNED_BYTE, image.pixels.get());
    image.pixels.reset();
    glGenerateMipmap(GL_TEXTURE_2D);
    return true;
}

void TextureLoader::applyFiltering(const DisplaySettings& settings) {
    const std::int32_t entry = settings.filtering;
    // Entry k >= 2 is anisotropy 2^(k-1); the shift is capped to stay inside an int.
    const GLint anisotropy = entry >= 2 ? GLint{1} << (entry - 1 < 30 ? entry - 1 : 30) : 1;
    if (offersAnisotropy())
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_ANISOTROPY_EXT, anisotropy);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER,
                    entry >= 1 ? GL_LINEAR_MIPMAP_LINEAR : GL_LINEAR_MIPMAP_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
}

bool TextureLoader::offersAnisotropy() {
    // One parameter, one value (0x84FE), whichever names it.
    return GLEW_EXT_texture_filter_anisotropic || GLEW_ARB_texture_filter_anisotropic ||
           GLEW_VERSION_4_6;
}
