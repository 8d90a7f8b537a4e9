#version 450 core
// Added onto the frame with the alpha as the weight.

in vec4 vColour;

out vec4 fragColour;

void main() {
    fragColour = vec4(vColour.rgb, clamp(vColour.a, 0.0, 1.0));
}
