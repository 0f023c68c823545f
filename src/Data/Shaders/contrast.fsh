#version 330 core
// Keeps the bright parts of the cube image for the glow, at a quarter of its size. One bilinear
// tap at the centre of each output texel's 4x4 footprint averages its middle 2x2: the cubes'
// bright edges are several pixels wide, so that catches them steadily and the blur that
// follows hides the rest.
uniform sampler2D tex;
in vec2 uv;
out vec4 color;

void main() {
    vec4 source = texture(tex, uv);
    vec3 c = source.rgb * source.a;
    float luminance = dot(c, vec3(0.2126, 0.7152, 0.0722));
    // Soft knee: nothing below the threshold, a smooth ramp into full strength above it.
    float keep = smoothstep(0.18, 0.55, luminance);
    color = vec4(c * keep * 1.6, 1.0);
}
