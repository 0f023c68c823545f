#include "render/ScreenQuad.h"

#include <cstring>

namespace {

// Not interleaved: four positions (48 bytes), then four texture coordinates (32 bytes).
// Both strip triangles are counter-clockwise, so they survive back-face culling.
const float positions[12] = {1, 1, 0, -1, 1, 0, 1, -1, 0, -1, -1, 0};
const float texCoords[8] = {1, 1, 0, 1, 1, 0, 0, 0};

void writeRange(GLintptr offset, const void* data, GLsizeiptr bytes) {
    void* target = glMapBufferRange(GL_ARRAY_BUFFER, offset, bytes, GL_MAP_WRITE_BIT);
    if (target != nullptr) {
        std::memcpy(target, data, static_cast<std::size_t>(bytes));
        glUnmapBuffer(GL_ARRAY_BUFFER);
    }
}

} // namespace

void createScreenQuad(GpuBuffer& buffer, VertexArray& vertexArray) {
    buffer.recreate(GL_ARRAY_BUFFER);
    glBindBuffer(GL_ARRAY_BUFFER, buffer.name());
    glBufferData(GL_ARRAY_BUFFER, sizeof positions + sizeof texCoords, nullptr, GL_STATIC_DRAW);
    writeRange(0, positions, sizeof positions);
    vertexArray.recreate();
    glBindVertexArray(vertexArray.name());
    glEnableVertexAttribArray(0);
    glVertexAttribPointer(0, 3, GL_FLOAT, GL_FALSE, 0, nullptr);
    writeRange(sizeof positions, texCoords, sizeof texCoords);
    glEnableVertexAttribArray(1);
    glVertexAttribPointer(1, 2, GL_FLOAT, GL_FALSE, 0,
                          reinterpret_cast<const void*>(sizeof positions));
}

void drawScreenQuadInto(bool encodes) {
    if (encodes) {
        drawScreenQuad();
        return;
    }
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_SRGB_DECODE_EXT, GL_SKIP_DECODE_EXT);
    glDisable(GL_FRAMEBUFFER_SRGB);
    drawScreenQuad();
    glEnable(GL_FRAMEBUFFER_SRGB);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_SRGB_DECODE_EXT, GL_DECODE_EXT);
}
