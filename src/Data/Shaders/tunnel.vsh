#version 330 core
// Everything linear in screen position or constant over the frame is done here per vertex: the
// aspect correction, the drifting vanishing point, the slow roll of the view, the scrolling of
// the images and the look of the moment in the music. The fragment shader only does what cannot
// be interpolated.
layout(location = 0) in vec3 position;
layout(location = 1) in vec2 texCoord;
uniform float aspect;
uniform float time;
uniform float alternator;
out vec2 view;
flat out vec4 scroll;  // wall v, energy u, energy v, pulse phase
flat out vec2 flicker; // field gain on even rows, dither offset
flat out vec3 glow;    // the walls' light between the pulse's crests
flat out vec3 crest;   // the light the pulse adds at its crest

// The track's form, written by tools/music (synth --glsl-form); the music tool's tests
// hold this copy to the song.
const float kBeatsPerMinute = 120.0;
const float kBeatsPerBar = 4.0;
const float kPadIntro = 1.0;
const float kBassIn = 5.0;
const float kBeatIn = 9.0;
const float kClapIn = 13.0;
const float kFill = 15.0;
const float kDrop = 16.0;
const float kBreakdown = 32.0;
const float kBuild = 40.0;
const float kRoll = 44.0;
const float kSecondDrop = 48.0;
const float kOutro = 64.0;
const float kWindDown = 68.0;
const float kFinalChord = 72.0;
const float kTrackSeconds = 148.5;
// End of the track's form.

const float kBeatSeconds = 60.0 / kBeatsPerMinute;
const float kBarSeconds = kBeatSeconds * kBeatsPerBar;
const float kEndBar = 1.0 + kTrackSeconds / kBarSeconds;

// How the tunnel looks from each bar on: light, flight speed, the kick's flash, coolness.
// Between keys the look glides, so two keys on one bar make a cut on its downbeat and keys
// bars apart follow a riser or a roll.
const int kKeys = 23;
const float kKeyBar[kKeys] = float[](
    kPadIntro, kBassIn, kBassIn, kBeatIn, kBeatIn, kClapIn, kDrop, kDrop, kBreakdown, kBreakdown,
    kBuild, kBuild, kRoll, kRoll, kSecondDrop, kSecondDrop, kOutro, kOutro, kWindDown, kWindDown,
    kFinalChord, kFinalChord, kEndBar);
const vec4 kKeyLook[kKeys] = vec4[](
    vec4(0.80, 0.35, 0.00, 0.40), // pad and arp: dim and slow
    vec4(0.80, 0.35, 0.00, 0.40),
    vec4(0.84, 0.40, 0.00, 0.35), // the bass
    vec4(0.84, 0.40, 0.00, 0.35),
    vec4(0.88, 0.45, 0.30, 0.30), // the kick comes in
    vec4(0.88, 0.45, 0.30, 0.30), // the riser lifts everything to the drop
    vec4(0.95, 0.75, 0.45, 0.15),
    vec4(1.10, 1.00, 0.55, 0.00), // the drop
    vec4(1.10, 1.00, 0.55, 0.00),
    vec4(0.66, 0.35, 0.00, 1.00), // breakdown: calm and cool
    vec4(0.66, 0.35, 0.00, 1.00),
    vec4(0.72, 0.50, 0.00, 0.80), // the build gathers speed and light
    vec4(0.85, 0.70, 0.00, 0.60),
    vec4(0.88, 0.75, 0.35, 0.55), // the roll, with the kick back
    vec4(1.15, 1.30, 0.55, 0.00),
    vec4(1.35, 1.60, 0.70, -0.30), // second drop: brightest, fastest, warmest
    vec4(1.35, 1.60, 0.70, -0.30),
    vec4(1.10, 1.10, 0.50, 0.00), // outro
    vec4(1.10, 1.10, 0.50, 0.00),
    vec4(0.80, 0.70, 0.00, 0.40), // wind-down
    vec4(0.65, 0.45, 0.00, 0.50),
    vec4(0.65, 0.40, 0.00, 0.50), // the final chord rings out
    vec4(0.40, 0.18, 0.00, 0.70)  // silence: slow and quiet
);

// The look at the show's time, and the distance flown so far: the integral of the speed, so
// that a change of speed never jumps the walls.
vec4 lookAt(float t, out float flight) {
    flight = 0.0;
    float from = 0.0;
    for (int i = 1; i < kKeys; ++i) {
        float to = (kKeyBar[i] - 1.0) * kBarSeconds;
        if (t < to) {
            vec4 look = mix(kKeyLook[i - 1], kKeyLook[i], (t - from) / (to - from));
            flight += (t - from) * 0.5 * (kKeyLook[i - 1].y + look.y);
            return look;
        }
        flight += (to - from) * 0.5 * (kKeyLook[i - 1].y + kKeyLook[i].y);
        from = to;
    }
    flight += (t - from) * kKeyLook[kKeys - 1].y;
    return kKeyLook[kKeys - 1];
}

// The walls' flash: on every beat the kick plays, stronger on a bar's downbeat; a slow swell
// with the chords where it does not play; one long flash for the final chord.
float flash(float t, float kickFlash) {
    float bar = 1.0 + floor(t / kBarSeconds);
    float beat = floor(mod(t / kBeatSeconds, kBeatsPerBar));
    float sinceBeat = fract(t / kBeatSeconds);
    float sinceBar = fract(t / kBarSeconds);
    if (bar >= kFinalChord)
        return 1.2 * exp2(-(t - (kFinalChord - 1.0) * kBarSeconds) / 0.9);
    bool kick = (bar >= kBeatIn && bar < kBreakdown) || (bar >= kRoll && bar < kWindDown);
    // The fills leave the bar's last beat without a kick.
    if ((bar == kFill || bar == kSecondDrop - 1.0) && beat == kBeatsPerBar - 1.0)
        return 0.0;
    if (kick)
        return kickFlash * (beat == 0.0 ? 1.7 : 1.0) * exp2(-4.0 * sinceBeat);
    return 0.18 * min(sinceBar * 16.0, 1.0) * (1.0 - sinceBar) * (1.0 - sinceBar);
}

void main() {
    float flight;
    vec4 look = lookAt(time, flight);
    float light = flash(time, look.z);
    vec3 tint = mix(vec3(1.0), vec3(0.62, 0.85, 1.35), look.w);
    glow = tint * look.x * (0.8 + 0.6 * light);
    crest = tint * look.x * (0.35 * look.z + 0.8 * light);

    vec2 centre = vec2(0.16 * sin(time * 0.37), 0.22 + 0.09 * sin(time * 0.23));
    vec2 p = vec2(position.x * aspect, position.y) - centre * vec2(aspect, 1.0);
    float roll = 0.25 * sin(time * 0.11) + flight * 0.05;
    float c = cos(roll), s = sin(roll);
    view = mat2(c, s, -s, c) * p;
    // On the beat a crest of the pulse is on the nearest walls (depth 0.3); it rushes one wave,
    // 2.73 units of depth, into the tunnel by the next beat.
    float beats = time / kBeatSeconds;
    scroll = fract(vec4(flight * 0.55, -flight * 0.021, flight * 0.93, 0.39 - beats));
    flicker = vec2(alternator, alternator * 0.5);
    gl_Position = vec4(position, 1.0);
}
