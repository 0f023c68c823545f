#version 330 core
// The tap coordinates are linear in the quad, so they are computed here once per vertex.
layout(location = 0) in vec3 position;
layout(location = 1) in vec2 texCoord;
uniform float height;
out vec2 uvCentre;
out vec2 uvSide[2];

void main() {
    vec2 step = vec2(0.0, 1.0 / height);
    uvCentre = texCoord;
    // Halfway between texels 1 and 2 on either side: one bilinear tap reads both equally.
    uvSide[0] = texCoord - step * 1.5;
    uvSide[1] = texCoord + step * 1.5;
    gl_Position = vec4(position, 1.0);
}
