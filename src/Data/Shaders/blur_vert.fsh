#version 330 core
// Separable blur along y; run four times in a row, the passes add up to a wide, soft halo.
uniform sampler2D tex;
in vec2 uvCentre;
in vec2 uvSide[2];
out vec4 color;

void main() {
    // Three bilinear taps: the centre texel 0.3, and 0.175 on each of texels 1 and 2 either side.
    // That spreads nearly as wide as a 9-tap binomial (variance 1.75 texels squared against 2)
    // for 12 texel reads instead of 20; the four passes in a row smooth the flat shoulders into
    // a bell.
    color = texture(tex, uvCentre) * 0.3 + (texture(tex, uvSide[0]) + texture(tex, uvSide[1])) * 0.35;
}
