#pragma once

// Whether a context offers the OpenGL the show needs (3.3: GLSL 3.30 shaders, framebuffer
// objects, instancing), judged by its GL_VERSION string. The basic display adapter and Remote
// Desktop offer only Microsoft's GL 1.1 and would fail later without a word; here the line says
// why. The bare form reads the current context's string.
bool offersRequiredOpenGl(const char* version);
bool offersRequiredOpenGl();
