#include "scenes/TunnelScene.h"

#include "app/Application.h"
#include "render/ScreenQuad.h"
#include "scenes/Choreography.h"

#include <cstring>

namespace {

// Position and normal per vertex, four vertices per face so that each face has its own normal.
const float cubeVertices[24 * 6] = {
    0.5f,  0.5f,  -0.5f, 0,  1,  0,  -0.5f, 0.5f,  -0.5f, 0,  1,  0,
    -0.5f, 0.5f,  0.5f,  0,  1,  0,  0.5f,  0.5f,  0.5f,  0,  1,  0,
    -0.5f, -0.5f, -0.5f, 0,  -1, 0,  0.5f,  -0.5f, -0.5f, 0,  -1, 0,
    0.5f,  -0.5f, 0.5f,  0,  -1, 0,  -0.5f, -0.5f, 0.5f,  0,  -1, 0,
    -0.5f, 0.5f,  0.5f,  -1, 0,  0,  -0.5f, 0.5f,  -0.5f, -1, 0,  0,
    -0.5f, -0.5f, -0.5f, -1, 0,  0,  -0.5f, -0.5f, 0.5f,  -1, 0,  0,
    0.5f,  0.5f,  -0.5f, 1,  0,  0,  0.5f,  0.5f,  0.5f,  1,  0,  0,
    0.5f,  -0.5f, 0.5f,  1,  0,  0,  0.5f,  -0.5f, -0.5f, 1,  0,  0,
    0.5f,  0.5f,  0.5f,  0,  0,  1,  -0.5f, 0.5f,  0.5f,  0,  0,  1,
    -0.5f, -0.5f, 0.5f,  0,  0,  1,  0.5f,  -0.5f, 0.5f,  0,  0,  1,
    -0.5f, 0.5f,  -0.5f, 0,  0,  -1, 0.5f,  0.5f,  -0.5f, 0,  0,  -1,
    0.5f,  -0.5f, -0.5f, 0,  0,  -1, -0.5f, -0.5f, -0.5f, 0,  0,  -1,
};

const int instanceBytes = 128;
const int instanceCapacity = 8;

// Maps the bound buffer of `target` write-only and copies `bytes` into its start.
void fillMapped(GLenum target, const void* data, std::size_t bytes) {
    void* destination = glMapBuffer(target, GL_WRITE_ONLY);
    if (destination != nullptr) {
        std::memcpy(destination, data, bytes);
        glUnmapBuffer(target);
    }
}

void instanceMatrixAttributes(GLuint first, std::size_t offset) {
    for (GLuint column = 0; column < 4; ++column) {
        const GLuint attribute = first + column;
        glVertexAttribPointer(attribute, 4, GL_FLOAT, GL_FALSE, instanceBytes,
                              reinterpret_cast<const void*>(offset + column * 16));
        glVertexAttribDivisor(attribute, 1);
    }
}

bool loadTunnelImage(Application& app, const char* path, Texture& texture) {
    if (!app.textureLoader->loadTexture(path, texture))
        return false;
    glGenerateMipmap(GL_TEXTURE_2D);
    TextureLoader::applyFiltering(app.settings);
    return true;
}

} // namespace

bool TunnelScene::init(Application& app) {
    application = &app;
    if (!loadTunnelImage(app, "Images/tunnel.jpg", tunnelTexture) ||
        !loadTunnelImage(app, "Images/tunnel2.jpg", tunnelTexture2))
        return false;

    if (!app.shaderLoader->buildProgram("Shaders/tunnel.vsh", "Shaders/tunnel.fsh", tunnelProgram))
        return false;
    glUseProgram(tunnelProgram.name());
    glUniform1i(glGetUniformLocation(tunnelProgram.name(), "tex1"), 0);
    glUniform1i(glGetUniformLocation(tunnelProgram.name(), "tex2"), 1);
    glUniform1f(glGetUniformLocation(tunnelProgram.name(), "aspect"), app.settings.aspect);
    timeLocation = glGetUniformLocation(tunnelProgram.name(), "time");
    alternatorLocation = glGetUniformLocation(tunnelProgram.name(), "alternator");

    if (!app.shaderLoader->buildProgram("Shaders/cubes.vsh", "Shaders/cubes.fsh", cubesProgram))
        return false;
    viewProjectionLocation = glGetUniformLocation(cubesProgram.name(), "viewProjection");

    cubeVertexArray.recreate();
    glBindVertexArray(cubeVertexArray.name());

    cubeVertexBuffer.recreate(GL_ARRAY_BUFFER);
    glBindBuffer(GL_ARRAY_BUFFER, cubeVertexBuffer.name());
    glBufferData(GL_ARRAY_BUFFER, sizeof cubeVertices, nullptr, GL_STATIC_DRAW);
    glEnableVertexAttribArray(0);
    glEnableVertexAttribArray(1);
    glVertexAttribPointer(0, 3, GL_FLOAT, GL_FALSE, 24, nullptr);
    glVertexAttribPointer(1, 3, GL_FLOAT, GL_FALSE, 24, reinterpret_cast<const void*>(12));
    fillMapped(GL_ARRAY_BUFFER, cubeVertices, sizeof cubeVertices);

    instanceBuffer.recreate(GL_ARRAY_BUFFER);
    glBindBuffer(GL_ARRAY_BUFFER, instanceBuffer.name());
    glBufferData(GL_ARRAY_BUFFER, instanceBytes * instanceCapacity, nullptr, GL_STREAM_DRAW);
    for (GLuint attribute = 2; attribute <= 5; ++attribute)
        glEnableVertexAttribArray(attribute);
    instanceMatrixAttributes(2, 0);
    for (GLuint attribute = 6; attribute <= 9; ++attribute)
        glEnableVertexAttribArray(attribute);
    instanceMatrixAttributes(6, 64);

    // Six indices per face, two counter-clockwise triangles seen from outside.
    GLushort indices[36];
    for (int face = 0; face < 6; ++face) {
        const auto b = static_cast<GLushort>(4 * face);
        const GLushort faceIndices[6] = {
            b, static_cast<GLushort>(b + 1), static_cast<GLushort>(b + 2),
            b, static_cast<GLushort>(b + 2), static_cast<GLushort>(b + 3)};
        std::memcpy(indices + 6 * face, faceIndices, sizeof faceIndices);
    }
    cubeIndexBuffer.recreate(GL_ELEMENT_ARRAY_BUFFER);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, cubeIndexBuffer.name());
    glBufferData(GL_ELEMENT_ARRAY_BUFFER, sizeof indices, nullptr, GL_STATIC_DRAW);
    fillMapped(GL_ELEMENT_ARRAY_BUFFER, indices, sizeof indices);

    if (!initPostProcessing())
        return false;
    alternator = 0;
    return true;
}

void TunnelScene::update(double time) {
    const auto t = static_cast<float>(time);
    glUseProgram(tunnelProgram.name());
    glUniform1f(timeLocation, t);

    const Matrix4 viewProjection = tunnelViewProjection(application->settings.aspect);
    glUseProgram(cubesProgram.name());
    glUniformMatrix4fv(viewProjectionLocation, 1, GL_FALSE, viewProjection.data());
    glBindVertexArray(cubeVertexArray.name());

    CubeInstance instances[2];
    cubeInstances(t, instances);
    glowBoxed = glowBounds(viewProjection, instances, application->settings.width,
                           application->settings.height, glowReach, glowBox);
    static_assert(sizeof instances == 2 * instanceBytes, "two 128-byte instance records");
    glBindBuffer(GL_ARRAY_BUFFER, instanceBuffer.name());
    fillMapped(GL_ARRAY_BUFFER, instances, sizeof instances);

    alternator = 1 - alternator;
    glUseProgram(tunnelProgram.name());
    glUniform1f(alternatorLocation, static_cast<float>(alternator));
}

void TunnelScene::render() {
    Application& app = *application;
    const GLsizei width = app.settings.width;
    const GLsizei height = app.settings.height;

    // Cubes with depth into the second target.
    mark("cubes");
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, app.renderTargetB.drawFramebuffer());
    glViewport(0, 0, width, height);
    glEnable(GL_DEPTH_TEST);
    glDepthMask(GL_TRUE);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glUseProgram(cubesProgram.name());
    glBindVertexArray(cubeVertexArray.name());
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, cubeIndexBuffer.name());
    glDrawElementsInstanced(GL_TRIANGLES, 36, GL_UNSIGNED_SHORT, nullptr, 2);
    mark("resolve");
    app.renderTargetB.resolve();
    glDisable(GL_DEPTH_TEST);
    glDepthMask(GL_FALSE);

    mark("contrast");
    renderPostProcessing(app.renderTargetB.colorTexture);

    // Tunnel into the first target, always its single-sample framebuffer.
    mark("tunnel");
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, app.renderTargetA.framebuffer.name());
    glViewport(0, 0, width, height);
    glClear(GL_COLOR_BUFFER_BIT);
    glActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_2D, tunnelTexture.name());
    glActiveTexture(GL_TEXTURE1);
    glBindTexture(GL_TEXTURE_2D, tunnelTexture2.name());
    glUseProgram(tunnelStandIn != nullptr ? tunnelStandIn->name() : tunnelProgram.name());
    glBindVertexArray(app.quadVertexArray.name());
    drawScreenQuad();

    mark("overlay");
    // Cubes over the tunnel by their alpha, then the glow added on top. Blending works on
    // linear values because every target is sRGB.
    glEnable(GL_BLEND);
    glBlendEquationSeparate(GL_FUNC_ADD, GL_FUNC_ADD);
    glBlendFuncSeparate(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA, GL_ONE, GL_ZERO);
    glActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_2D, app.renderTargetB.colorTexture.name());
    glUseProgram(app.simpleProgram.name());
    glBindVertexArray(app.quadVertexArray.name());
    drawScreenQuad();
    mark("glow");
    glBlendFuncSeparate(GL_ONE, GL_ONE, GL_ONE, GL_ZERO);
    glBindTexture(GL_TEXTURE_2D, blurTextureA.name());
    if (glowBoxed) {
        glEnable(GL_SCISSOR_TEST);
        glScissor(glowBox.x, glowBox.y, glowBox.width, glowBox.height);
    }
    drawScreenQuad();
    glDisable(GL_SCISSOR_TEST);
    glDisable(GL_BLEND);

    mark("present");
    // Present, stretched over the output (the drawable is larger than the render size with GPU
    // scaling).
    const FrameOutput output = app.output();
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, output.framebuffer);
    glViewport(0, 0, output.width, output.height);
    glBindTexture(GL_TEXTURE_2D, app.renderTargetA.colorTexture.name());
    drawScreenQuadInto(output.encodesSrgb);
    if (passObserver != nullptr)
        passObserver->frameEnds();
}
