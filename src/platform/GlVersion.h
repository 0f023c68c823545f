#pragma once

// Whether a context offers the OpenGL the show needs (3.3: GLSL 3.30 shaders, framebuffer
// objects, instancing), judged by its GL_VERSION string. The basic display adapter and Remote
// Desktop offer only Microsoft's GL 1.1 and would fail later without a word; here the line says
// why. The bare form reads the current context's string.
bool offersRequiredOpenGl(const char* version);
bool offersRequiredOpenGl();

// With GL_FRAMEBUFFER_SRGB enabled (this enables it), whether the window's back buffer encodes
// writes to sRGB itself, for OpenGLWindow::encodesSrgb. Drivers differ for the default
// framebuffer (a format granted without the encoding, the enable ignored for it), so one known
// value is drawn and read back; the frame loop draws over the pixel.
bool windowEncodesSrgb();
