#version 330 core
// The tap coordinates are linear in the quad, so they are computed here once per vertex.
layout(location = 0) in vec3 position;
layout(location = 1) in vec2 texCoord;
uniform float width;
out vec2 uvCentre;
out vec2 uvNear[2];
out vec2 uvFar[2];

void main() {
    vec2 step = vec2(1.0 / width, 0.0);
    uvCentre = texCoord;
    // Bilinear taps between texels 1-2 and 3-4 give the 9-tap binomial kernel in five fetches.
    uvNear[0] = texCoord - step * 1.3333333;
    uvNear[1] = texCoord + step * 1.3333333;
    uvFar[0] = texCoord - step * 3.1111111;
    uvFar[1] = texCoord + step * 3.1111111;
    gl_Position = vec4(position, 1.0);
}
