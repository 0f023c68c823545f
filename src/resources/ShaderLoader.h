#pragma once

#include "core/IntrusivePointer.h"
#include "resources/FileSystem.h"
#include "resources/GlHandles.h"

#include <utility>

// Builds GL programs from pairs of GLSL source files read through the file system.
class ShaderLoader : public IntrusivePointerMixin<ShaderLoader> {
  public:
    explicit ShaderLoader(IntrusivePointer<FileSystem> fileSystem)
        : fileSystem(std::move(fileSystem)) {}

    // Reads, compiles and links the pair into `program`. Failures are logged; the previous
    // program is replaced only once both stages have compiled, and after a failed link the
    // handle holds the unlinked program. No shader object outlives the call.
    bool buildProgram(const char* vertexPath, const char* fragmentPath, ShaderProgram& program);

  private:
    IntrusivePointer<FileSystem> fileSystem;
};
