#version 330 core
// Neon glass: each face lit by its normal, translucent in the middle, with bright opaque edges
// that the contrast pass picks up for the glow.
in vec3 worldNormal;
in vec3 local;
flat in int instance;
out vec4 color;

void main() {
    vec3 n = normalize(worldNormal);
    vec3 tint = instance == 0 ? vec3(0.10, 0.75, 1.00) : vec3(1.00, 0.18, 0.80);

    vec3 light = normalize(vec3(0.4, 0.8, 0.6));
    float diffuse = max(dot(n, light), 0.0);
    float rim = (1.0 - abs(n.z)) * (1.0 - abs(n.z));

    // Distance to the nearest edge of the face: the largest two of the three |coordinates| are
    // 0.5 on an edge, and the face's own axis is always 0.5.
    vec3 a = abs(local);
    float second = a.x + a.y + a.z - max(a.x, max(a.y, a.z)) - min(a.x, min(a.y, a.z));
    float edge = smoothstep(0.40, 0.485, second);

    vec3 face = tint * (0.10 + 0.55 * diffuse + 0.35 * rim);
    vec3 c = mix(face, mix(tint, vec3(1.0), 0.55) * 1.6, edge);
    float alpha = mix(0.55 + 0.25 * diffuse, 1.0, edge);
    color = vec4(c, alpha);
}
