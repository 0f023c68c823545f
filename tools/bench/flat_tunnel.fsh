#version 330 core
// The benchmark's floor: the tunnel pass reduced to a constant colour, so that the frame pays
// for every other pass and for writing the tunnel's pixels, but not for drawing the tunnel.
out vec4 color;

void main() {
    color = vec4(0.05, 0.04, 0.12, 1.0);
}
