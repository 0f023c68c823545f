#pragma once

// Whether the current context offers the OpenGL the show needs (3.3: GLSL 3.30 shaders,
// framebuffer objects, instancing). The basic display adapter and some remote desktops offer
// only GL 1.1 and would fail later without a word; here the line says why.
bool offersRequiredOpenGl();
