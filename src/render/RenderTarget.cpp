#include "render/RenderTarget.h"

#include "diagnostics/Logger.h"

namespace {

bool complete() {
    return glCheckFramebufferStatus(GL_DRAW_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE;
}

void attachDepthStencil(GLuint renderbuffer) {
    glFramebufferRenderbuffer(GL_DRAW_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER,
                              renderbuffer);
    glFramebufferRenderbuffer(GL_DRAW_FRAMEBUFFER, GL_STENCIL_ATTACHMENT, GL_RENDERBUFFER,
                              renderbuffer);
}

} // namespace

void reportIncompleteFramebuffer() {
    g_logger->write(LogGpuObject, "Framebuffer incomplete");
}

void allocateRenderbufferStorage(const DisplaySettings& settings, GLenum format, int width,
                                 int height) {
    if (settings.coverageSampling) {
        // Any mode but the four coverage modes allocates nothing,
        // which the completeness check then reports.
        const int mode = settings.antialiasingLevel;
        if (mode >= 0 && mode < 4 && glRenderbufferStorageMultisampleCoverageNV != nullptr)
            glRenderbufferStorageMultisampleCoverageNV(
                GL_RENDERBUFFER, coverageSampleCounts[mode][0], coverageSampleCounts[mode][1],
                format, width, height);
    } else if (settings.antialiasingLevel >= 2) {
        // A count above the GL's limit is an error rather than an allocation: nothing is
        // allocated, and the completeness check reports it as for any count the GL refuses.
        GLint maxSamples = 0;
        glGetIntegerv(GL_MAX_SAMPLES, &maxSamples);
        if (settings.antialiasingLevel <= maxSamples)
            glRenderbufferStorageMultisample(GL_RENDERBUFFER, settings.antialiasingLevel, format,
                                             width, height);
    } else {
        glRenderbufferStorage(GL_RENDERBUFFER, format, width, height);
    }
}

void attachColorTexture(Texture& texture, int width, int height) {
    texture.recreate();
    glActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_2D, texture.name());
    glTexImage2D(GL_TEXTURE_2D, 0, GL_SRGB8_ALPHA8, width, height, 0, GL_RGB, GL_UNSIGNED_BYTE,
                 nullptr);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    texture.attachToFramebuffer();
}

bool RenderTarget::init(const DisplaySettings& settings, int targetWidth, int targetHeight) {
    if (build(settings, targetWidth, targetHeight))
        return true;
    reportIncompleteFramebuffer();
    return false;
}

bool RenderTarget::build(const DisplaySettings& settings, int targetWidth, int targetHeight) {
    width = targetWidth;
    height = targetHeight;
    multisampled = settings.coverageSampling || settings.antialiasingLevel > 1;

    depthStencilBuffer.recreate();
    glBindRenderbuffer(GL_RENDERBUFFER, depthStencilBuffer.name());
    allocateRenderbufferStorage(settings, GL_DEPTH24_STENCIL8, width, height);

    if (multisampled) {
        multisampleFramebuffer.recreate();
        glBindFramebuffer(GL_DRAW_FRAMEBUFFER, multisampleFramebuffer.name());
        attachDepthStencil(depthStencilBuffer.name());
        multisampleColorBuffer.recreate();
        glBindRenderbuffer(GL_RENDERBUFFER, multisampleColorBuffer.name());
        allocateRenderbufferStorage(settings, GL_SRGB8_ALPHA8, width, height);
        glFramebufferRenderbuffer(GL_DRAW_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER,
                                  multisampleColorBuffer.name());
        if (!complete())
            return false;
        framebuffer.recreate();
        glBindFramebuffer(GL_DRAW_FRAMEBUFFER, framebuffer.name());
    } else {
        multisampleColorBuffer.destroy();
        multisampleFramebuffer.destroy();
        framebuffer.recreate();
        glBindFramebuffer(GL_DRAW_FRAMEBUFFER, framebuffer.name());
        attachDepthStencil(depthStencilBuffer.name());
    }

    attachColorTexture(colorTexture, width, height);
    return complete();
}

GLuint RenderTarget::drawFramebuffer() const {
    return multisampled ? multisampleFramebuffer.name() : framebuffer.name();
}

void RenderTarget::resolve() {
    if (!multisampled)
        return;
    glBindFramebuffer(GL_READ_FRAMEBUFFER, multisampleFramebuffer.name());
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, framebuffer.name());
    glViewport(0, 0, width, height);
    glBlitFramebuffer(0, 0, width, height, 0, 0, width, height, GL_COLOR_BUFFER_BIT, GL_NEAREST);
}
