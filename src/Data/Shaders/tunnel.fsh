#version 330 core
// Flight through a tunnel: angle around the axis maps to u, 1 / radius to depth (v). The two
// images scroll at different speeds, the far end fades into fog, and "alternator" flips a faint
// interlace and a temporal dither every frame, which breaks up banding in the dark gradients
// without a visible flicker at 60 Hz.
uniform sampler2D tex1;
uniform sampler2D tex2;
uniform float time;
uniform float alternator;
in vec2 view;
out vec4 color;

const float inverseTau = 0.15915494;

void main() {
    float radius = max(length(view), 1e-4);
    float depth = 0.42 / radius;
    float angle = atan(view.y, view.x) * inverseTau;
    // atan jumps from 0.5 to -0.5 behind the axis, and fract(angle) from 1 to 0 in front of it.
    // The texture wraps, so the jump itself is harmless, but a quad straddling it would pick the
    // smallest mip level. Such quads use fract(angle), continuous there. The choice must be the
    // same for all four pixels of a quad, so each pixel also looks at its neighbours' verdicts.
    float jump = abs(dFdx(angle)) + abs(dFdy(angle));
    jump += abs(dFdx(jump)) + abs(dFdy(jump));
    float u = jump > 0.5 ? fract(angle) : angle;

    float twist = depth * 0.06;
    vec3 wall = texture(tex1, vec2(u * 3.0 + twist, depth + time * 0.55)).rgb;
    // The energy image is soft and mostly lies deep in the fog where it would be minified: one
    // bilinear read of its half-size level costs far less than a trilinear read and looks alike.
    vec3 energy = textureLod(tex2, vec2(u * 2.0 - time * 0.021, depth * 0.5 + time * 0.93), 1.0).rgb;

    vec3 c = wall * (0.55 + 1.1 * energy) + energy * vec3(0.10, 0.16, 0.34);
    // A pulse of light rushing along the walls.
    float pulse = 0.5 + 0.5 * sin(depth * 2.3 - time * 4.0);
    c *= 0.8 + 0.45 * pulse * pulse;

    // Depth fog towards the vanishing point, tinted deep indigo.
    float fog = clamp(radius * 1.9, 0.0, 1.0);
    fog *= fog;
    c = mix(vec3(0.006, 0.004, 0.03), c, fog);

    float field = mod(gl_FragCoord.y, 2.0) < 1.0 ? alternator : 1.0 - alternator;
    c *= 0.985 + 0.03 * field;
    float dither = fract(dot(gl_FragCoord.xy, vec2(0.7548777, 0.5698403)) + alternator * 0.5);
    c += (dither - 0.5) / 255.0 * (1.0 - fog * 0.7);

    color = vec4(max(c, vec3(0.0)), 1.0);
}
