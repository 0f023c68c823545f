#version 330 core
// The tap coordinates are linear in the quad, so they are computed here once per vertex.
layout(location = 0) in vec3 position;
layout(location = 1) in vec2 texCoord;
uniform float width;
out vec2 uvSide[2];

void main() {
    vec2 step = vec2(1.0 / width, 0.0);
    // A quarter of the way from texel 1 to texel 2 on either side: each bilinear tap reads
    // texel 1 at 0.75 and texel 2 at 0.25.
    uvSide[0] = texCoord - step * 1.25;
    uvSide[1] = texCoord + step * 1.25;
    gl_Position = vec4(position, 1.0);
}
