#pragma once

// A hidden window with a current OpenGL context and GLEW loaded, for tests that need real GL
// under Wine (llvmpipe). Independent of the product's window so that resource tests do not
// depend on it.
class GlTestContext {
  public:
    GlTestContext() = default;
    GlTestContext(const GlTestContext&) = delete;
    GlTestContext& operator=(const GlTestContext&) = delete;
    ~GlTestContext();

    // False when no context could be made current.
    bool create(int width = 64, int height = 64);

  private:
    void* window = nullptr;
    void* deviceContext = nullptr;
    void* renderingContext = nullptr;
    unsigned short classAtom = 0;
};
