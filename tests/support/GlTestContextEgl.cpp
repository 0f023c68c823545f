#include "support/GlTestContext.h"

GlTestContext::~GlTestContext() = default;

bool GlTestContext::create(int, int) {
    window = new OpenGLWindow;
    return window->initExtensions();
}
