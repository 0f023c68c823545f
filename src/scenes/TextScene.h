#pragma once

#include "resources/GlHandles.h"

#include <GL/glew.h>
#include "scenes/Scene.h"

#include <cstdint>

// Puts one of eight full-screen text pages on the window.
class TextScene final : public Scene {
  public:
    // Loads "Images/Text/1.png" to "Images/Text/8.png"; stops at the first failure.
    bool init(Application& application);
    void update(double time) override;
    void render() override;

  private:
    Application* application = nullptr;
    Texture images[8];
    std::int32_t currentImage = 0;
};
