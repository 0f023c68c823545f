#version 330 core
// Everything linear in screen position is done here per vertex: the aspect correction, the
// drifting vanishing point and the slow roll of the view. The fragment shader only does the
// polar mapping that cannot be interpolated.
layout(location = 0) in vec3 position;
layout(location = 1) in vec2 texCoord;
uniform float aspect;
uniform float time;
out vec2 view;

void main() {
    vec2 centre = vec2(0.16 * sin(time * 0.37), 0.22 + 0.09 * sin(time * 0.23));
    vec2 p = vec2(position.x * aspect, position.y) - centre * vec2(aspect, 1.0);
    float roll = 0.25 * sin(time * 0.11) + time * 0.05;
    float c = cos(roll), s = sin(roll);
    view = mat2(c, s, -s, c) * p;
    gl_Position = vec4(position, 1.0);
}
