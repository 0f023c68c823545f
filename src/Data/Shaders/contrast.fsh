#version 330 core
// Keeps the bright parts of the cube image for the glow, at a quarter of its size. Two bilinear
// taps one source texel either side of the centre average the middle two rows of the 4x4
// footprint of each output texel: the cubes' bright edges are several pixels wide, so half the
// footprint catches them steadily and the blur that follows hides the rest.
uniform sampler2D tex;
in vec2 uv;
out vec4 color;

vec3 premultiplied(vec2 at) {
    vec4 c = texture(tex, at);
    return c.rgb * c.a;
}

void main() {
    float texelX = 1.0 / float(textureSize(tex, 0).x);
    vec3 c = (premultiplied(uv - vec2(texelX, 0.0)) + premultiplied(uv + vec2(texelX, 0.0))) * 0.5;
    float luminance = dot(c, vec3(0.2126, 0.7152, 0.0722));
    // Soft knee: nothing below the threshold, a smooth ramp into full strength above it.
    float keep = smoothstep(0.18, 0.55, luminance);
    color = vec4(c * keep * 1.6, 1.0);
}
