#include "platform/GlVersion.h"

#include "diagnostics/Format.h"
#include "diagnostics/Logger.h"

#include <GL/glew.h>

namespace {

// The leading number of text, advancing it; -1 where there is none.
long leadingNumber(const char*& text) {
    if (*text < '0' || *text > '9')
        return -1;
    long value = 0;
    for (; *text >= '0' && *text <= '9'; ++text)
        value = value < 100000 ? value * 10 + (*text - '0') : value;
    return value;
}

} // namespace

bool offersRequiredOpenGl(const char* version) {
    // "major.minor[.release][ vendor text]"
    const char* at = version != nullptr ? version : "";
    const long major = leadingNumber(at);
    const long minor = *at == '.' ? leadingNumber(++at) : -1;
    if (major > 3 || (major == 3 && minor >= 3))
        return true;
    g_logger->write(LogPlatform,
                    formatString("This computer's OpenGL driver does not offer "
                                 "OpenGL 3.3, which the show needs (it offers %s)",
                                 version != nullptr && *version != '\0' ? version : "none")
                        .c_str());
    return false;
}

bool offersRequiredOpenGl() {
    return offersRequiredOpenGl(reinterpret_cast<const char*>(glGetString(GL_VERSION)));
}
