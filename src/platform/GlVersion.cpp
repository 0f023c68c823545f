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

// Whether the window's back buffer encodes writes to sRGB. Drivers differ for the default
// framebuffer (a format granted without the encoding, GL_FRAMEBUFFER_SRGB ignored for it), so one
// known linear value is drawn and read back: 0.5 is 188 encoded, 128 not. Only an unmistakable
// raw value counts as no encoding; the frame loop draws over the pixel.
bool backBufferEncodesSrgb() {
    glViewport(0, 0, 1, 1);
    glColor4f(0.5f, 0.5f, 0.5f, 1.0f);
    glRectf(-1.0f, -1.0f, 1.0f, 1.0f);
    glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
    unsigned char pixel[4] = {};
    glReadBuffer(GL_BACK);
    glReadPixels(0, 0, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, pixel);
    return pixel[0] < 124 || pixel[0] > 132;
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

bool windowEncodesSrgb() {
    glEnable(GL_FRAMEBUFFER_SRGB);
    if (backBufferEncodesSrgb())
        return true;
    // Without the extension the encoded bytes cannot be passed through: too dark, but shown.
    const bool encodes = !GLEW_EXT_texture_sRGB_decode;
    g_logger->write(LogDriver, encodes ? "The window does not encode sRGB"
                                       : "The window does not encode sRGB: the picture is passed "
                                         "to it encoded");
    return encodes;
}
