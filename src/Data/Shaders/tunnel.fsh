#version 330 core
// Flight through a tunnel: the angle around the axis maps to u, 1 / radius to depth (v). The two
// images scroll at different speeds, the far end fades into fog, and "alternator" flips a faint
// interlace and a temporal dither every frame, which breaks up banding in the dark gradients
// without a visible flicker at 60 Hz.
uniform sampler2D tex1;
uniform sampler2D tex2;
in vec2 view;
flat in vec4 scroll;  // wall v, energy u, energy v, pulse phase
flat in vec2 flicker; // field gain on even rows, dither offset
flat in vec3 glow;    // the walls' light between the pulse's crests
flat in vec3 crest;   // the light the pulse adds at its crest
out vec4 color;

// atan(p.y, p.x) in turns, (-0.5, 0.5]: an odd polynomial on the first octant (error below
// 2e-6 turns), folded out to the others. One division instead of the library's three.
float turns(vec2 p) {
    vec2 a = abs(p);
    float t = min(a.x, a.y) / max(max(a.x, a.y), 1e-20);
    float s = t * t;
    float r = t * (0.15913363 +
                   s * (-0.05256928 + s * (0.02867081 + s * (-0.01354943 + s * 0.00331605))));
    r = a.y > a.x ? 0.25 - r : r;
    r = p.x < 0.0 ? 0.5 - r : r;
    return p.y < 0.0 ? -r : r;
}

void main() {
    float inverseRadius = inversesqrt(max(dot(view, view), 1e-8));
    float radius = dot(view, view) * inverseRadius;
    float depth = 0.42 * inverseRadius;
    // The angle jumps from 0.5 to -0.5 behind the axis, and fract(angle) from 1 to 0 in front of
    // it. The images wrap, so the jump itself is harmless, but a quad straddling it would pick the
    // smallest mip level: a dotted line along the seam. Such quads use fract(angle), continuous
    // there. The choice must be the same for all four pixels of a quad, so each pixel also looks
    // at its neighbours' verdicts.
    float angle = turns(view);
    float jump = abs(dFdx(angle)) + abs(dFdy(angle));
    jump += abs(dFdx(jump)) + abs(dFdy(jump));
    float u = jump > 0.5 ? fract(angle) : angle;

    // Both reads leave the filtering to the sampler, as the launcher set it: bilinear, trilinear
    // or anisotropic, from the pixels' own derivatives. (textureGrad with derivatives from the
    // mapping would serve a GPU as well, but llvmpipe's anisotropic filter leaves streaks with
    // explicit gradients.)
    vec3 wall = texture(tex1, vec2(u * 3.0 + depth * 0.06, depth + scroll.x)).rgb;
    vec3 energy = texture(tex2, vec2(u * 2.0 + scroll.y, depth * 0.5 + scroll.z)).rgb;

    vec3 c = wall * (0.55 + 1.1 * energy) + energy * vec3(0.10, 0.16, 0.34);
    // A pulse of light rushing along the walls: a parabolic wave, 2.73 units of depth apart. How
    // bright the walls and the pulse are, and their colour, follow the music.
    float phase = fract(depth * 0.366 + scroll.w);
    float pulse = 4.0 * phase * (1.0 - phase);
    c *= glow + crest * (pulse * pulse);

    // Depth fog towards the vanishing point, tinted deep indigo.
    float fog = clamp(radius * 1.9, 0.0, 1.0);
    fog *= fog;
    c = mix(vec3(0.006, 0.004, 0.03), c, fog);

    float field = fract(gl_FragCoord.y * 0.5) < 0.5 ? flicker.x : 1.0 - flicker.x;
    c *= 0.985 + 0.03 * field;
    float dither = fract(dot(gl_FragCoord.xy, vec2(0.7548777, 0.5698403)) + flicker.y);
    c += (dither - 0.5) / 255.0 * (1.0 - fog * 0.7);

    color = vec4(max(c, vec3(0.0)), 1.0);
}
