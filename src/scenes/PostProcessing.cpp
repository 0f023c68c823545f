// The glow: a contrast pass and a separable blur at a quarter of the render size,
// ping-ponging between two small textures.
#include "app/Application.h"
#include "render/RenderTarget.h"
#include "render/ScreenQuad.h"
#include "scenes/TunnelScene.h"

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
