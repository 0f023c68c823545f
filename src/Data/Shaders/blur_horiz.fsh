#version 330 core
// Separable blur along x; run four times in a row, the passes add up to a wide, soft halo.
uniform sampler2D tex;
in vec2 uvCentre;
in vec2 uvNear[2];
in vec2 uvFar[2];
out vec4 color;

void main() {
    // Binomial 1 8 28 56 70 56 28 8 1 over 256, pairs folded into one bilinear tap each.
    vec4 sum = texture(tex, uvCentre) * 0.2734375;
    sum += (texture(tex, uvNear[0]) + texture(tex, uvNear[1])) * 0.328125;
    sum += (texture(tex, uvFar[0]) + texture(tex, uvFar[1])) * 0.03515625;
    color = sum;
}
