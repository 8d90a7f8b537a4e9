#version 450 core
// The level's debug overlay: lines and flat-lit boxes in vertex colours.

layout(location = 0) in vec3 aPosition;
layout(location = 1) in vec4 aColour;
layout(location = 2) in vec3 aNormal;

uniform mat4 uViewProj;

out vec4 vColour;
out vec3 vNormal;

void main() {
    vColour = aColour;
    vNormal = aNormal;
    gl_Position = uViewProj * vec4(aPosition, 1.0);
}
