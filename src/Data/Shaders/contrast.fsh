#version 330 core
// Keeps the bright parts of the cube image for the glow, at a quarter of its size. Four bilinear
// taps one source texel off the centre average the whole 4x4 footprint of each output texel, so
// thin bright edges do not shimmer as the cubes turn.
uniform sampler2D tex;
in vec2 uv;
out vec4 color;

vec3 premultiplied(vec2 at) {
    vec4 c = texture(tex, at);
    return c.rgb * c.a;
}

void main() {
    vec2 texel = 1.0 / vec2(textureSize(tex, 0));
    vec3 sum = premultiplied(uv + vec2(-texel.x, -texel.y)) + premultiplied(uv + vec2(texel.x, -texel.y)) +
               premultiplied(uv + vec2(-texel.x, texel.y)) + premultiplied(uv + vec2(texel.x, texel.y));
    vec3 c = sum * 0.25;
    float luminance = dot(c, vec3(0.2126, 0.7152, 0.0722));
    // Soft knee: nothing below the threshold, a smooth ramp into full strength above it.
    float keep = smoothstep(0.18, 0.55, luminance);
    color = vec4(c * keep * 1.6, 1.0);
}
