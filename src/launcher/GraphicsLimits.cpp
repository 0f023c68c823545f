#include "launcher/LauncherChoices.h"

#include <GL/glew.h>

GraphicsLimits queryGraphicsLimits() {
    GraphicsLimits limits;
    // A query the context does not know leaves the value alone, so unknown limits stay 0.
    GLint value = 0;
    if (GLEW_EXT_texture_filter_anisotropic) {
        limits.anisotropicFiltering = true;
        glGetIntegerv(GL_MAX_TEXTURE_MAX_ANISOTROPY_EXT, &value);
        limits.maxAnisotropy = value;
    }
    value = 0;
    glGetIntegerv(GL_MAX_COLOR_TEXTURE_SAMPLES, &value);
    limits.maxColourSamples = value;
    value = 0;
    glGetIntegerv(GL_MAX_DEPTH_TEXTURE_SAMPLES, &value);
    limits.maxDepthSamples = value;
    limits.coverageSampling = GLEW_NV_framebuffer_multisample_coverage &&
                              glRenderbufferStorageMultisampleCoverageNV != nullptr &&
                              GLEW_NV_texture_multisample;
    return limits;
}
