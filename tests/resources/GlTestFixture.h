#pragma once

#include "TestSupport.h"

#include "resources/FileSystem.h"
#include "support/GlTestContext.h"

#include <GL/glew.h>
#include <gtest/gtest.h>

// A current GL context and a file system whose one root is a scratch directory beside the test
// executable. The context is made first and released last, so every handle a test declares is
// destroyed while it is still current.
class GlFixture : public ::testing::Test {
  protected:
    GlFixture() : local(new LocalFileSystem), scratch("gl-scratch"), files(new FileSystem) {
        local->addRoot(scratch.name().c_str());
        files->mount(local);
    }
    void SetUp() override { ASSERT_TRUE(context.create()) << "no GL context"; }

    GlTestContext context;
    IntrusivePointer<LocalFileSystem> local;
    ScratchDirectory scratch;
    IntrusivePointer<FileSystem> files;
    LogRecorder log;
};

// How many of the first names of one kind of GL object exist, through its glIs* query.
template <class IsAlive> int countAlive(IsAlive isAlive) {
    int alive = 0;
    for (GLuint name = 1; name <= 512; ++name)
        alive += isAlive(name) == GL_TRUE ? 1 : 0;
    return alive;
}

inline int liveShaders() {
    return countAlive([](GLuint name) { return glIsShader(name); });
}
inline int livePrograms() {
    return countAlive([](GLuint name) { return glIsProgram(name); });
}
inline int liveTextures() {
    return countAlive([](GLuint name) { return glIsTexture(name); });
}
