#pragma once

#include "render/PassObserver.h"
#include "resources/GlHandles.h"
#include "scenes/Choreography.h"

#include "scenes/Scene.h"
#include <GL/glew.h>

#include <cstdint>

// The main scene: a shader tunnel from two images, two instanced spinning cubes drawn with depth
// into the second render target, their quarter-size glow, composited into the first target and
// copied to the window.
class TunnelScene final : public Scene {
  public:
    bool init(Application& application);
    void update(double time) override;
    void render() override;

    // Benchmarks and tests only: told of each pass as render() reaches it.
    PassObserver* passObserver = nullptr;
    // Benchmarks only: drawn in place of the tunnel program when set; owned by whoever sets it.
    const ShaderProgram* tunnelStandIn = nullptr;

  private:
    void mark(const char* pass) {
        if (passObserver != nullptr)
            passObserver->passBegins(pass);
    }

    bool initPostProcessing();
    // Leaves the glow in blurTextureA.
    void renderPostProcessing(const Texture& source);

    // Members are released in reverse order.
    Application* application = nullptr;
    Texture tunnelTexture;
    Texture tunnelTexture2;
    ShaderProgram tunnelProgram;
    ShaderProgram cubesProgram;
    VertexArray cubeVertexArray;
    GpuBuffer cubeVertexBuffer;
    GpuBuffer cubeIndexBuffer;
    GpuBuffer instanceBuffer;
    ShaderProgram contrastProgram;
    Texture blurTextureA;
    Texture blurTextureB;
    Framebuffer blurFramebufferA;
    Framebuffer blurFramebufferB;
    ShaderProgram blurHorizontalProgram;
    ShaderProgram blurVerticalProgram;
    std::int32_t alternator = 0;

    // The glow is drawn over the whole target, but only this box around the cubes can receive
    // any: outside it the blurred image is exactly zero, and adding zero is the one full-screen
    // pass the scissor saves. Set by update() for the next render().
    PixelBox glowBox;
    bool glowBoxed = false;
    int glowReach = 0; // render pixels, from the quarter size

    // Uniform locations, looked up once after each program is built.
    GLint timeLocation = -1;
    GLint alternatorLocation = -1;
    GLint viewProjectionLocation = -1;
    GLint blurWidthLocation = -1;
    GLint blurHeightLocation = -1;
};
