#include "resources/GlHandles.h"

#include <GL/glew.h>

GlName glkind::Texture::generateName() {
    GLuint name = 0;
    glGenTextures(1, &name);
    return name;
}
void glkind::Texture::deleteName(GlName name) {
    glDeleteTextures(1, &name);
}

GlName glkind::Framebuffer::generateName() {
    GLuint name = 0;
    glGenFramebuffers(1, &name);
    return name;
}
void glkind::Framebuffer::deleteName(GlName name) {
    glDeleteFramebuffers(1, &name);
}

GlName glkind::Renderbuffer::generateName() {
    GLuint name = 0;
    glGenRenderbuffers(1, &name);
    return name;
}
void glkind::Renderbuffer::deleteName(GlName name) {
    glDeleteRenderbuffers(1, &name);
}

GlName glkind::Buffer::generateName() {
    GLuint name = 0;
    glGenBuffers(1, &name);
    return name;
}
void glkind::Buffer::deleteName(GlName name) {
    glDeleteBuffers(1, &name);
}

GlName glkind::VertexArray::generateName() {
    GLuint name = 0;
    glGenVertexArrays(1, &name);
    return name;
}
void glkind::VertexArray::deleteName(GlName name) {
    glDeleteVertexArrays(1, &name);
}

GlName glkind::Program::generateName() {
    return glCreateProgram();
}
void glkind::Program::deleteName(GlName name) {
    glDeleteProgram(name);
}

void Texture::attachToFramebuffer() const {
    glFramebufferTexture2D(GL_DRAW_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, name(), 0);
}
