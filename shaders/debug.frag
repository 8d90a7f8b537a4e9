#version 450 core

in vec4 vColour;
in vec3 vNormal;

out vec4 fragColour;

void main() {
    float facing = max(dot(normalize(vNormal), normalize(vec3(0.35, 1.0, 0.25))), 0.0);
    fragColour = vec4(vColour.rgb * (0.55 + 0.45 * facing), vColour.a);
}
