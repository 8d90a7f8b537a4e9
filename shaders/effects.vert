#version 450 core
// Tracers, beams and particles: coloured triangles already placed in the world.

layout(location = 0) in vec3 aPosition;
layout(location = 1) in vec4 aColour;

uniform mat4 uViewProj;

out vec4 vColour;

void main() {
    vColour = aColour;
    gl_Position = uViewProj * vec4(aPosition, 1.0);
}
