#include "scenes/TextScene.h"

#include "app/Application.h"
#include "diagnostics/Format.h"
#include "render/ScreenQuad.h"
#include "scenes/Choreography.h"

bool TextScene::init(Application& app) {
    application = &app;
    for (int index = 0; index < 8; ++index) {
        const ByteString path = formatString("Images/Text/%d.png", index + 1);
        if (!application->textureLoader->loadTexture(path.c_str(), images[index]))
            return false;
    }
    return true;
}

void TextScene::update(double time) {
    currentImage = textImageIndex(time);
}

void TextScene::render() {
    // No viewport, clear or blend state of its own: the quad covers the viewport the frame
    // loop set, which is the whole output.
    glActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_2D, images[currentImage].name());
    glBindVertexArray(application->quadVertexArray.name());
    glUseProgram(application->simpleProgram.name());
    const FrameOutput output = application->output();
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, output.framebuffer);
    drawScreenQuadInto(output.encodesSrgb);
}
