#version 450 core
// The unit sphere placed at the field's centre and scaled to its radius.

layout(location = 0) in vec3 aPosition;

uniform mat4 uViewProj;
uniform vec3 uCenter;
uniform float uRadius;

out vec3 vWorld;
out vec3 vNormal;

void main() {
    vNormal = aPosition;
    vWorld = uCenter + aPosition * uRadius;
    gl_Position = uViewProj * vec4(vWorld, 1.0);
}
