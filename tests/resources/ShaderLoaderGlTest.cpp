// Shader programs through real GL (llvmpipe under Wine): log lines, rebuilds, object lifetimes.
#include "GlTestFixture.h"

#include "resources/ShaderLoader.h"

#include <string>

namespace {

const char vertexSource[] = R"(#version 330
layout(location = 0) in vec3 position;
layout(location = 1) in vec2 texCoord;
out vec2 uv;
void main() {
    uv = texCoord;
    gl_Position = vec4(position, 1.0);
}
)";

const char fragmentSource[] = R"(#version 330
in vec2 uv;
uniform sampler2D tex;
out vec4 colour;
void main() { colour = texture(tex, uv); }
)";

const char brokenSource[] = "#version 330\nvoid main() { gl_Position = undeclared; }\n";

// Compiles, but a program without a fragment main does not link.
const char noMainSource[] =
    "#version 330\nout vec4 colour;\nvoid paint() { colour = vec4(1.0); }\n";

class ShaderBuilding : public GlFixture {
  protected:
    ShaderBuilding() : loader(new ShaderLoader(files)) {
        scratch.write("Shaders/simple.vsh", std::string(vertexSource));
        scratch.write("Shaders/simple.fsh", std::string(fragmentSource));
        scratch.write("Shaders/broken.vsh", std::string(brokenSource));
        scratch.write("Shaders/broken.fsh", std::string(brokenSource));
        scratch.write("Shaders/nomain.fsh", std::string(noMainSource));
        scratch.write("Shaders/empty.vsh", std::string());
        scratch.write("Shaders/empty.fsh", std::string());
        // As Notepad saves them: a UTF-8 byte-order mark first.
        scratch.write("Shaders/bom.vsh", "\xEF\xBB\xBF" + std::string(vertexSource));
        scratch.write("Shaders/bom.fsh", "\xEF\xBB\xBF" + std::string(fragmentSource));
    }

    static bool linked(GLuint program) {
        GLint status = GL_FALSE;
        glGetProgramiv(program, GL_LINK_STATUS, &status);
        return status == GL_TRUE;
    }

    // The GL info log (level 4, with some text) followed by the stage's own line.
    void expectCompileFailure(const std::string& stageLine) {
        ASSERT_EQ(log.lines().size(), 2u);
        EXPECT_EQ(log.lines()[0].level, 4);
        EXPECT_NE(log.lines()[0].text.find("error"), std::string::npos) << log.lines()[0].text;
        EXPECT_EQ(log.lines()[1], (LogLine{4, stageLine}));
    }

    IntrusivePointer<ShaderLoader> loader;
};

} // namespace

TEST_F(ShaderBuilding, BuildsALinkedProgramAndNoShaderOutlivesTheBuild) {
    ShaderProgram program;
    ASSERT_TRUE(loader->buildProgram("Shaders/simple.vsh", "Shaders/simple.fsh", program));
    EXPECT_TRUE(log.lines().empty());
    EXPECT_NE(program.name(), 0u);
    EXPECT_TRUE(linked(program.name()));
    GLint attached = -1;
    glGetProgramiv(program.name(), GL_ATTACHED_SHADERS, &attached);
    EXPECT_EQ(attached, 0);
    EXPECT_EQ(liveShaders(), 0);
    // Locations come from the sources; the loader binds none.
    EXPECT_EQ(glGetAttribLocation(program.name(), "position"), 0);
    EXPECT_EQ(glGetAttribLocation(program.name(), "texCoord"), 1);
    EXPECT_NE(glGetUniformLocation(program.name(), "tex"), -1);

    ShaderProgram marked;
    EXPECT_TRUE(loader->buildProgram("Shaders/bom.vsh", "Shaders/bom.fsh", marked));
    EXPECT_TRUE(log.lines().empty());
}

TEST_F(ShaderBuilding, AVertexStageThatDoesNotCompileIsLoggedAndStopsTheBuild) {
    ShaderProgram program;
    EXPECT_FALSE(loader->buildProgram("Shaders/broken.vsh", "Shaders/broken.fsh", program));
    expectCompileFailure("Error compiling vertex shader: Shaders/broken.vsh");
    EXPECT_EQ(program.name(), 0u);
    EXPECT_EQ(liveShaders(), 0);
    EXPECT_EQ(livePrograms(), 0);
}

TEST_F(ShaderBuilding, AFragmentStageThatDoesNotCompileIsLoggedWithItsPath) {
    ShaderProgram program;
    EXPECT_FALSE(loader->buildProgram("Shaders/simple.vsh", "Shaders/broken.fsh", program));
    expectCompileFailure("Error compiling fragment shader: Shaders/broken.fsh");
    EXPECT_EQ(program.name(), 0u);
    EXPECT_EQ(liveShaders(), 0);
    EXPECT_EQ(livePrograms(), 0);
}

TEST_F(ShaderBuilding, AnEmptySourceReadsButDoesNotCompile) {
    ShaderProgram program;
    EXPECT_FALSE(loader->buildProgram("Shaders/empty.vsh", "Shaders/simple.fsh", program));
    expectCompileFailure("Error compiling vertex shader: Shaders/empty.vsh");
    log.clear();
    EXPECT_FALSE(loader->buildProgram("Shaders/simple.vsh", "Shaders/empty.fsh", program));
    expectCompileFailure("Error compiling fragment shader: Shaders/empty.fsh");
    EXPECT_EQ(program.name(), 0u);
    EXPECT_EQ(liveShaders(), 0);
}

TEST_F(ShaderBuilding, AFailedLinkLogsTheProgramLogAndKeepsTheUnlinkedProgram) {
    ShaderProgram program;
    EXPECT_FALSE(loader->buildProgram("Shaders/simple.vsh", "Shaders/nomain.fsh", program));
    ASSERT_EQ(log.lines().size(), 2u);
    EXPECT_EQ(log.lines()[0].level, 4);
    EXPECT_FALSE(log.lines()[0].text.empty());
    EXPECT_EQ(log.lines()[1],
              (LogLine{4, "Error linking shader program: Shaders/simple.vsh, Shaders/nomain.fsh"}));
    EXPECT_NE(program.name(), 0u);
    EXPECT_TRUE(glIsProgram(program.name()));
    EXPECT_FALSE(linked(program.name()));
    EXPECT_EQ(liveShaders(), 0);
    program.destroy();
    EXPECT_EQ(livePrograms(), 0);
}

TEST_F(ShaderBuilding, ARebuildReplacesTheProgramOnlyOnceBothStagesCompile) {
    ShaderProgram program;
    ASSERT_TRUE(loader->buildProgram("Shaders/simple.vsh", "Shaders/simple.fsh", program));
    const GLuint first = program.name();

    EXPECT_FALSE(loader->buildProgram("Shaders/simple.vsh", "Shaders/broken.fsh", program));
    EXPECT_EQ(program.name(), first);
    EXPECT_TRUE(linked(first));

    EXPECT_FALSE(loader->buildProgram("Shaders/simple.vsh", "Shaders/missing.fsh", program));
    EXPECT_EQ(program.name(), first);

    ASSERT_TRUE(loader->buildProgram("Shaders/simple.vsh", "Shaders/simple.fsh", program));
    EXPECT_TRUE(linked(program.name()));
    EXPECT_EQ(livePrograms(), 1);
    EXPECT_EQ(liveShaders(), 0);
}

TEST_F(ShaderBuilding, InfoLogsAreCutTo4095Characters) {
    std::string source = "#version 330\nvoid main() {\n";
    for (int i = 0; i < 400; ++i)
        source += "    gl_Position = undeclared" + std::to_string(i) + ";\n";
    source += "}\n";
    scratch.write("Shaders/many.vsh", source);
    ShaderProgram program;
    EXPECT_FALSE(loader->buildProgram("Shaders/many.vsh", "Shaders/simple.fsh", program));
    ASSERT_EQ(log.lines().size(), 2u);
    EXPECT_EQ(log.lines()[0].text.size(), 4095u);
    EXPECT_EQ(log.lines()[1], (LogLine{4, "Error compiling vertex shader: Shaders/many.vsh"}));
}
