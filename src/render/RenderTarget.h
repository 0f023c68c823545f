#pragma once

#include "core/DisplaySettings.h"
#include "resources/GlHandles.h"

#include <GL/glew.h>

#include <cstdint>

// An off-screen sRGB colour target at the render size, with an optional multisampled (or
// coverage-sampled) twin that resolve() copies into the single-sample texture.
class RenderTarget {
  public:
    RenderTarget() = default;
    RenderTarget(const RenderTarget&) = delete;
    RenderTarget& operator=(const RenderTarget&) = delete;

    // Logs "Framebuffer incomplete" and returns false when a framebuffer it built is incomplete.
    bool init(const DisplaySettings& settings, int width, int height);
    // The same without the line, for a caller that tries again with fewer samples. Objects of an
    // earlier build that this one does not use are deleted.
    bool build(const DisplaySettings& settings, int width, int height);
    GLuint drawFramebuffer() const;
    // Afterwards colorTexture holds the image; nothing to do when not multisampled.
    void resolve();

    // Members are destroyed in reverse order: depth-stencil, multisampled colour, texture,
    // multisampled framebuffer, framebuffer.
    Framebuffer framebuffer;
    Framebuffer multisampleFramebuffer;
    Texture colorTexture;
    bool multisampled = false;
    Renderbuffer multisampleColorBuffer;
    Renderbuffer depthStencilBuffer;
    std::int32_t width = 0;
    std::int32_t height = 0;
};

// Writes the line of a framebuffer that is not complete.
void reportIncompleteFramebuffer();

// Re-creates `texture` as a single-level sRGB colour texture with linear filtering, bound on unit
// 0, and attaches it as colour 0 of the framebuffer bound for drawing.
void attachColorTexture(Texture& texture, int width, int height);

// Gives the renderbuffer bound to GL_RENDERBUFFER storage sampled as the settings ask.
void allocateRenderbufferStorage(const DisplaySettings& settings, GLenum format, int width,
                                 int height);
