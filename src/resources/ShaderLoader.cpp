#include "resources/ShaderLoader.h"

#include "diagnostics/Format.h"
#include "diagnostics/Logger.h"

#include <GL/glew.h>

#include <cstdint>
#include <cstring>
#include <memory>

namespace {

// The GL info logs are fetched into buffers of this size: longer logs are cut.
constexpr GLsizei infoLogSize = 4096;

// The whole file as text, without the UTF-8 byte-order mark that Windows editors put first
// (the GLSL preprocessor rejects it). A missing file has been logged by the file system.
bool readSource(FileSystem& fileSystem, const char* path, ByteString& source) {
    IntrusivePointer<File> file;
    if (!fileSystem.open(path, file))
        return false;
    const std::uint32_t size = file->size();
    std::unique_ptr<char[]> buffer;
    // glShaderSource takes an int length; no real shader comes near this.
    if (size < INT32_MAX) {
        buffer.reset(new char[size + 1]);
        if (!file->readFully(size, buffer.get()))
            buffer.reset();
    }
    if (buffer == nullptr) {
        g_logger->write(LogFile,
                        formatString("Unable to read data from shader file: %s", path).c_str());
        return false;
    }
    buffer[size] = '\0';
    const std::uint32_t skip =
        size >= 3 && std::memcmp(buffer.get(), "\xEF\xBB\xBF", 3) == 0 ? 3 : 0;
    // Constructed, not assigned: assigning an empty range to an empty ByteString would write
    // its terminator into the shared read-only empty block.
    source = ByteString(buffer.get() + skip, buffer.get() + size);
    file->close();
    return true;
}

bool compileShader(GLuint shader, const char* source) {
    const auto length = static_cast<GLint>(std::strlen(source));
    glShaderSource(shader, 1, &source, &length);
    glCompileShader(shader);
    GLint status = GL_FALSE;
    glGetShaderiv(shader, GL_COMPILE_STATUS, &status);
    if (status == GL_TRUE)
        return true;
    char log[infoLogSize] = {};
    glGetShaderInfoLog(shader, infoLogSize, nullptr, log);
    g_logger->write(LogGpuObject, log);
    return false;
}

bool linkProgram(ShaderProgram& program, GLuint vertexShader, GLuint fragmentShader) {
    program.recreate();
    const GLuint name = program.name();
    glAttachShader(name, vertexShader);
    glAttachShader(name, fragmentShader);
    glLinkProgram(name);
    // Detached, the shader objects are really deleted at the end of the build.
    glDetachShader(name, vertexShader);
    glDetachShader(name, fragmentShader);
    GLint status = GL_FALSE;
    glGetProgramiv(name, GL_LINK_STATUS, &status);
    if (status == GL_TRUE)
        return true;
    char log[infoLogSize] = {};
    glGetProgramInfoLog(name, infoLogSize, nullptr, log);
    g_logger->write(LogGpuObject, log);
    return false;
}

// Both stages of one build; deleted together, vertex first, on every way out.
struct ShaderPair {
    ShaderPair()
        : vertex(glCreateShader(GL_VERTEX_SHADER)), fragment(glCreateShader(GL_FRAGMENT_SHADER)) {}
    ShaderPair(const ShaderPair&) = delete;
    ShaderPair& operator=(const ShaderPair&) = delete;
    ~ShaderPair() {
        glDeleteShader(vertex);
        glDeleteShader(fragment);
    }
    const GLuint vertex;
    const GLuint fragment;
};

} // namespace

bool ShaderLoader::buildProgram(const char* vertexPath, const char* fragmentPath,
                                ShaderProgram& program) {
    ByteString vertexSource;
    ByteString fragmentSource;
    if (!readSource(*fileSystem, vertexPath, vertexSource) ||
        !readSource(*fileSystem, fragmentPath, fragmentSource))
        return false;

    const ShaderPair shaders;
    if (!compileShader(shaders.vertex, vertexSource.c_str())) {
        g_logger->write(LogGpuObject,
                        formatString("Error compiling vertex shader: %s", vertexPath).c_str());
        return false;
    }
    if (!compileShader(shaders.fragment, fragmentSource.c_str())) {
        g_logger->write(LogGpuObject,
                        formatString("Error compiling fragment shader: %s", fragmentPath).c_str());
        return false;
    }
    if (!linkProgram(program, shaders.vertex, shaders.fragment)) {
        g_logger->write(
            LogGpuObject,
            formatString("Error linking shader program: %s, %s", vertexPath, fragmentPath).c_str());
        return false;
    }
    return true;
}
