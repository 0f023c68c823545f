#version 330 core
// Instanced cubes: attributes 2-5 carry the model matrix, 6-9 the matrix for normals (its upper
// 3x3 block orients them like the model).
layout(location = 0) in vec3 position;
layout(location = 1) in vec3 normal;
layout(location = 2) in mat4 model;
layout(location = 6) in mat4 normalMatrix;
uniform mat4 viewProjection;
out vec3 worldNormal;
out vec3 local;
flat out int instance;

void main() {
    worldNormal = mat3(normalMatrix) * normal;
    local = position;
    instance = gl_InstanceID;
    gl_Position = viewProjection * model * vec4(position, 1.0);
}
