#version 450 core
// The depth prepass writes depth only; colour writes are off while it runs.

out vec4 fragColour;

void main() {
    fragColour = vec4(0.0);
}
