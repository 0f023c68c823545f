#pragma once

#include <cstdint>

// A GL object name; 0 means none.
using GlName = std::uint32_t;

// One GL object with exactly one owner: the handle is a plain member of that owner, is never
// copied or moved, and deletes its object when destroyed (the owner is destroyed while the
// context is current). `Kind` supplies the generate and delete calls.
template <class Kind> class GlHandle {
  public:
    GlHandle() = default;
    GlHandle(const GlHandle&) = delete;
    GlHandle& operator=(const GlHandle&) = delete;

    GlName name() const { return name_; }

    // Deletes the object now; the handle is empty afterwards.
    void destroy() {
        if (name_ != 0) {
            Kind::deleteName(name_);
            name_ = 0;
        }
    }

    // Deletes the current object, if any, then takes a fresh name.
    void recreate() {
        destroy();
        name_ = Kind::generateName();
    }

  protected:
    ~GlHandle() { destroy(); }

  private:
    GlName name_ = 0;
};

namespace glkind {
struct Texture {
    static GlName generateName();
    static void deleteName(GlName name);
};
struct Framebuffer {
    static GlName generateName();
    static void deleteName(GlName name);
};
struct Renderbuffer {
    static GlName generateName();
    static void deleteName(GlName name);
};
struct Buffer {
    static GlName generateName();
    static void deleteName(GlName name);
};
struct VertexArray {
    static GlName generateName();
    static void deleteName(GlName name);
};
struct Program {
    static GlName generateName();
    static void deleteName(GlName name);
};
} // namespace glkind

class Texture : public GlHandle<glkind::Texture> {
  public:
    // Level 0 becomes colour attachment 0 of the framebuffer bound for drawing.
    void attachToFramebuffer() const;
};

class Framebuffer : public GlHandle<glkind::Framebuffer> {};

class Renderbuffer : public GlHandle<glkind::Renderbuffer> {};

// A buffer object and the binding target it was made for.
class GpuBuffer : public GlHandle<glkind::Buffer> {
  public:
    void recreate(std::uint32_t bindingTarget) {
        GlHandle::recreate();
        target_ = bindingTarget;
    }
    std::uint32_t target() const { return target_; }

  private:
    std::uint32_t target_ = 0;
};

class VertexArray : public GlHandle<glkind::VertexArray> {};

// A linked (or, after a failed link, unlinked) program; built by ShaderLoader.
class ShaderProgram : public GlHandle<glkind::Program> {};
