// Each handle owns exactly one GL object: re-creating deletes the old one first, destroying the
// handle deletes the last one.
#include "GlTestFixture.h"

#include "resources/GlHandles.h"

namespace {

class GlHandles : public GlFixture {};

// `bind` makes a freshly generated name an object; `isAlive` is the kind's glIs* query.
template <class Handle, class Recreate, class Bind, class IsAlive>
void expectOneOwner(Recreate recreate, Bind bind, IsAlive isAlive) {
    const int before = countAlive(isAlive);
    {
        Handle handle;
        EXPECT_EQ(handle.name(), 0u);
        recreate(handle);
        bind(handle.name());
        EXPECT_NE(handle.name(), 0u);
        EXPECT_EQ(countAlive(isAlive), before + 1);
        recreate(handle);
        bind(handle.name());
        EXPECT_EQ(countAlive(isAlive), before + 1);
        handle.destroy();
        EXPECT_EQ(handle.name(), 0u);
        EXPECT_EQ(countAlive(isAlive), before);
        handle.destroy();
        recreate(handle);
        bind(handle.name());
        EXPECT_EQ(countAlive(isAlive), before + 1);
    }
    EXPECT_EQ(countAlive(isAlive), before);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

auto plainRecreate = [](auto& handle) { handle.recreate(); };

} // namespace

TEST_F(GlHandles, TextureFramebufferAndRenderbuffer) {
    expectOneOwner<Texture>(
        plainRecreate, [](GLuint name) { glBindTexture(GL_TEXTURE_2D, name); },
        [](GLuint name) { return glIsTexture(name); });
    expectOneOwner<Framebuffer>(
        plainRecreate, [](GLuint name) { glBindFramebuffer(GL_FRAMEBUFFER, name); },
        [](GLuint name) { return glIsFramebuffer(name); });
    expectOneOwner<Renderbuffer>(
        plainRecreate, [](GLuint name) { glBindRenderbuffer(GL_RENDERBUFFER, name); },
        [](GLuint name) { return glIsRenderbuffer(name); });
}

TEST_F(GlHandles, BufferVertexArrayAndProgram) {
    expectOneOwner<GpuBuffer>(
        [](GpuBuffer& buffer) {
            buffer.recreate(GL_ARRAY_BUFFER);
            EXPECT_EQ(buffer.target(), static_cast<std::uint32_t>(GL_ARRAY_BUFFER));
        },
        [](GLuint name) { glBindBuffer(GL_ARRAY_BUFFER, name); },
        [](GLuint name) { return glIsBuffer(name); });
    expectOneOwner<VertexArray>(
        plainRecreate, [](GLuint name) { glBindVertexArray(name); },
        [](GLuint name) { return glIsVertexArray(name); });
    expectOneOwner<ShaderProgram>(
        plainRecreate, [](GLuint) {}, [](GLuint name) { return glIsProgram(name); });
}

TEST_F(GlHandles, ATextureAttachesToTheDrawFramebuffer) {
    Framebuffer framebuffer;
    Texture texture;
    framebuffer.recreate();
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, framebuffer.name());
    texture.recreate();
    glBindTexture(GL_TEXTURE_2D, texture.name());
    glTexImage2D(GL_TEXTURE_2D, 0, GL_SRGB8_ALPHA8, 4, 4, 0, GL_RGBA, GL_UNSIGNED_BYTE, nullptr);
    texture.attachToFramebuffer();
    GLint attached = 0;
    glGetFramebufferAttachmentParameteriv(GL_DRAW_FRAMEBUFFER, GL_COLOR_ATTACHMENT0,
                                          GL_FRAMEBUFFER_ATTACHMENT_OBJECT_NAME, &attached);
    EXPECT_EQ(static_cast<GLuint>(attached), texture.name());
    EXPECT_EQ(glCheckFramebufferStatus(GL_DRAW_FRAMEBUFFER),
              static_cast<GLenum>(GL_FRAMEBUFFER_COMPLETE));
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, 0);
}
