#pragma once

#ifndef _WIN32
#include "platform/OpenGLWindow.h"
#endif

// A current OpenGL context with GLEW loaded, for tests that need real GL (llvmpipe). Under Wine a
// hidden window of its own, independent of the product's window so that resource tests do not
// depend on it; natively the product's off-screen EGL context, a debug context whose faults fail
// the running test through the log.
class GlTestContext {
  public:
    GlTestContext() = default;
    GlTestContext(const GlTestContext&) = delete;
    GlTestContext& operator=(const GlTestContext&) = delete;
    ~GlTestContext();

    // False when no context could be made current.
    bool create(int width = 64, int height = 64);

  private:
#ifdef _WIN32
    void* window = nullptr;
    void* deviceContext = nullptr;
    void* renderingContext = nullptr;
    unsigned short classAtom = 0;
#else
    IntrusivePointer<OpenGLWindow> window;
#endif
};
