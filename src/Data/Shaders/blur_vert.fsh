#version 330 core
// Separable blur along y; run four times in a row, the passes add up to a wide, soft halo.
uniform sampler2D tex;
in vec2 uvSide[2];
out vec4 color;

void main() {
    // Two bilinear taps: 0.375 on texel 1 and 0.125 on texel 2 either side, nothing on the
    // centre. Variance 1.75 texels squared per pass from 8 texel reads; the centre comes back
    // in the next pass, and four passes in a row add up to a bell.
    color = (texture(tex, uvSide[0]) + texture(tex, uvSide[1])) * 0.5;
}
