#pragma once

#include "resources/GlHandles.h"

#include <GL/glew.h>

// The quad every full-screen pass draws: four clip-space corners as a triangle strip, position
// at attribute 0 and texture coordinate at attribute 1, (0, 0) at the bottom left.
void createScreenQuad(GpuBuffer& buffer, VertexArray& vertexArray);

inline void drawScreenQuad() {
    glDrawArrays(GL_TRIANGLE_STRIP, 0, 4);
}

// The screen quad into a framebuffer that encodes sRGB writes itself (encodes) or does not, with
// the sRGB texture to draw bound on the active unit. Where it does not, the texture's bytes,
// already encoded, are passed through: read undecoded and written unencoded.
void drawScreenQuadInto(bool encodes);
