#include "launcher/LauncherChoices.h"
#include "resources/TextureLoader.h"

#include <GL/glew.h>

namespace {

// The sample counts the GL lists for a renderbuffer format, largest first.
std::vector<std::int32_t> formatSampleCounts(GLenum format) {
    GLint count = 0;
    glGetInternalformativ(GL_RENDERBUFFER, format, GL_NUM_SAMPLE_COUNTS, 1, &count);
    std::vector<std::int32_t> counts(static_cast<std::size_t>(count > 0 ? count : 0));
    if (!counts.empty())
        glGetInternalformativ(GL_RENDERBUFFER, format, GL_SAMPLES, count, counts.data());
    return counts;
}

} // namespace

GraphicsLimits queryGraphicsLimits() {
    GraphicsLimits limits;
    // A query the context does not know leaves the value alone, so unknown limits stay 0.
    GLint value = 0;
    if (TextureLoader::offersAnisotropy()) {
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
    value = 0;
    glGetIntegerv(GL_MAX_SAMPLES, &value);
    limits.maxSamples = value;
    if (glGetInternalformativ != nullptr && (GLEW_VERSION_4_2 || GLEW_ARB_internalformat_query)) {
        limits.formatSamplesListed = true;
        limits.colourFormatSamples = formatSampleCounts(GL_SRGB8_ALPHA8);
        limits.depthFormatSamples = formatSampleCounts(GL_DEPTH24_STENCIL8);
    }
    limits.coverageSampling = GLEW_NV_framebuffer_multisample_coverage &&
                              glRenderbufferStorageMultisampleCoverageNV != nullptr &&
                              GLEW_NV_texture_multisample;
    if (limits.coverageSampling) {
        GLint modes = 0;
        glGetIntegerv(GL_MAX_MULTISAMPLE_COVERAGE_MODES_NV, &modes);
        std::vector<GLint> pairs(static_cast<std::size_t>(modes > 0 ? modes : 0) * 2);
        if (!pairs.empty())
            glGetIntegerv(GL_MULTISAMPLE_COVERAGE_MODES_NV, pairs.data());
        for (std::size_t i = 0; i + 1 < pairs.size(); i += 2)
            limits.coverageModes.emplace_back(pairs[i], pairs[i + 1]);
    }
    return limits;
}
