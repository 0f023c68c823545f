// The glow: a contrast pass and a separable blur at a quarter of the render size,
// ping-ponging between two small textures.
#include "app/Application.h"
#include "render/RenderTarget.h"
#include "render/ScreenQuad.h"
#include "scenes/TunnelScene.h"

#include <algorithm>

namespace {

void createQuarterTarget(Framebuffer& framebuffer, Texture& texture, GLsizei width,
                         GLsizei height) {
    framebuffer.recreate();
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, framebuffer.name());
    attachColorTexture(texture, width, height);
}

// One pass: read `input` on unit 0, draw into `target`.
void pass(const Framebuffer& target, const Texture& input) {
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, target.name());
    glActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_2D, input.name());
    drawScreenQuad();
}

} // namespace

bool TunnelScene::initPostProcessing() {
    ShaderLoader& shaders = *application->shaderLoader;
    if (!shaders.buildProgram("Shaders/contrast.vsh", "Shaders/contrast.fsh", contrastProgram) ||
        !shaders.buildProgram("Shaders/blur_horiz.vsh", "Shaders/blur_horiz.fsh",
                              blurHorizontalProgram) ||
        !shaders.buildProgram("Shaders/blur_vert.vsh", "Shaders/blur_vert.fsh",
                              blurVerticalProgram))
        return false;
    blurWidthLocation = glGetUniformLocation(blurHorizontalProgram.name(), "width");
    blurHeightLocation = glGetUniformLocation(blurVerticalProgram.name(), "height");

    const GLsizei width = application->settings.width >> 2;
    const GLsizei height = application->settings.height >> 2;
    createQuarterTarget(blurFramebufferA, blurTextureA, width, height);
    createQuarterTarget(blurFramebufferB, blurTextureB, width, height);

    // How far the glow spreads from the cubes, in quarter-size texels: the contrast tap within
    // its own texel, two per blur pass in each direction, one for the bilinear stretch back to
    // full size; 12 leaves room for the rounding of the quarter size. A texel spans up to
    // ceil(full / quarter) render pixels.
    const int full[2] = {application->settings.width, application->settings.height};
    const int quarter[2] = {std::max<int>(width, 1), std::max<int>(height, 1)};
    const int texel =
        std::max((full[0] + quarter[0] - 1) / quarter[0], (full[1] + quarter[1] - 1) / quarter[1]);
    glowReach = 12 * texel;
    return true;
}

void TunnelScene::renderPostProcessing(const Texture& source) {
    const GLsizei width = application->settings.width >> 2;
    const GLsizei height = application->settings.height >> 2;
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, blurFramebufferA.name());
    glViewport(0, 0, width, height);

    glUseProgram(contrastProgram.name());
    glBindVertexArray(application->quadVertexArray.name());
    pass(blurFramebufferA, source);

    mark("blur horizontal");
    glUseProgram(blurHorizontalProgram.name());
    glUniform1f(blurWidthLocation, static_cast<float>(width));
    pass(blurFramebufferB, blurTextureA);
    pass(blurFramebufferA, blurTextureB);
    pass(blurFramebufferB, blurTextureA);
    pass(blurFramebufferA, blurTextureB);

    mark("blur vertical");
    glUseProgram(blurVerticalProgram.name());
    glUniform1f(blurHeightLocation, static_cast<float>(height));
    pass(blurFramebufferB, blurTextureA);
    pass(blurFramebufferA, blurTextureB);
    pass(blurFramebufferB, blurTextureA);
    pass(blurFramebufferA, blurTextureB);
}
