#version 330 core
// Alpha matters: the cube overlay composites through this program with source-alpha blending.
uniform sampler2D tex;
in vec2 uv;
out vec4 color;

void main() {
    color = texture(tex, uv);
}
