#include "platform/GlVersion.h"

#include "diagnostics/Format.h"
#include "diagnostics/Logger.h"

#include <GL/glew.h>

bool offersRequiredOpenGl() {
    if (GLEW_VERSION_3_3)
        return true;
    const auto* version = reinterpret_cast<const char*>(glGetString(GL_VERSION));
    g_logger->write(LogPlatform, formatString("This computer's OpenGL driver does not offer "
                                              "OpenGL 3.3, which the show needs (it offers %s)",
                                              version != nullptr ? version : "none")
                                     .c_str());
    return false;
}
