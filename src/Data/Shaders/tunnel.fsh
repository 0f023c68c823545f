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
    // atan jumps from 0.5 to -0.5 behind the axis and fract(angle) from 1 to 0 in front of it.
    // The texture wraps, so the jump itself is harmless, but it would wreck mip selection along
    // the seam: sample with the derivative of whichever of the two is continuous there.
    float wrapped = fract(angle);
    float ax = dFdx(angle), ay = dFdy(angle), wx = dFdx(wrapped), wy = dFdy(wrapped);
    vec2 du = vec2(abs(ax) < abs(wx) ? ax : wx, abs(ay) < abs(wy) ? ay : wy);
    vec2 dd = vec2(dFdx(depth), dFdy(depth));

    float twist = depth * 0.06;
    vec2 wallUv = vec2(angle * 3.0 + twist, depth + time * 0.55);
    vec3 wall = textureGrad(tex1, wallUv, vec2(du.x * 3.0 + dd.x * 0.06, dd.x),
                            vec2(du.y * 3.0 + dd.y * 0.06, dd.y)).rgb;
    vec2 energyUv = vec2(angle * 2.0 - time * 0.021, depth * 0.5 + time * 0.93);
    vec3 energy = textureGrad(tex2, energyUv, vec2(du.x * 2.0, dd.x * 0.5),
                              vec2(du.y * 2.0, dd.y * 0.5)).rgb;

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
