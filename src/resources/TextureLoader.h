#pragma once

#include "core/DisplaySettings.h"
#include "core/IntrusivePointer.h"
#include "resources/FileSystem.h"
#include "resources/GlHandles.h"

#include <utility>

// Turns PNG and JPEG files read through the file system into sRGB textures with mipmaps.
class TextureLoader : public IntrusivePointerMixin<TextureLoader> {
  public:
    explicit TextureLoader(IntrusivePointer<FileSystem> fileSystem)
        : fileSystem(std::move(fileSystem)) {}

    // On success `texture` holds a new texture, bound to GL_TEXTURE_2D on unit 0 (the active
    // unit); on failure the reason is logged and `texture` keeps what it held.
    bool loadTexture(const char* path, Texture& texture);

    // Sets anisotropy (where the GL offers it), minification and magnification filter of the
    // texture bound to GL_TEXTURE_2D from the launcher's filtering entry.
    static void applyFiltering(const DisplaySettings& settings);
    // Whether the current GL has anisotropic filtering: elsewhere its parameter is an error.
    static bool offersAnisotropy();

  private:
    IntrusivePointer<FileSystem> fileSystem;
};
