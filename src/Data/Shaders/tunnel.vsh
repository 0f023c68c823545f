#version 330 core
// Everything linear in screen position or constant over the frame is done here per vertex: the
// aspect correction, the drifting vanishing point, the slow roll of the view and the scrolling
// of the images. The fragment shader only does what cannot be interpolated.
layout(location = 0) in vec3 position;
layout(location = 1) in vec2 texCoord;
uniform float aspect;
uniform float time;
uniform float alternator;
out vec2 view;
flat out vec4 scroll;  // wall v, energy u, energy v, pulse phase
flat out vec2 flicker; // field gain on even rows, dither offset

void main() {
    vec2 centre = vec2(0.16 * sin(time * 0.37), 0.22 + 0.09 * sin(time * 0.23));
    vec2 p = vec2(position.x * aspect, position.y) - centre * vec2(aspect, 1.0);
    float roll = 0.25 * sin(time * 0.11) + time * 0.05;
    float c = cos(roll), s = sin(roll);
    view = mat2(c, s, -s, c) * p;
    scroll = fract(vec4(time * 0.55, -time * 0.021, time * 0.93, -time * 0.6366));
    flicker = vec2(alternator, alternator * 0.5);
    gl_Position = vec4(position, 1.0);
}
