#version 450 core
// Rigid models: the level, weapons, props. Also the vertex stage of the depth prepass.

layout(location = 0) in vec3 aPosition;
layout(location = 1) in vec4 aNormal;
layout(location = 2) in vec2 aUv;

uniform mat4 uModel;
uniform mat4 uViewProj;

#include "outline.glsl"

out vec3 vWorldPosition;
out vec3 vNormal;
out vec2 vUv;

void main() {
    vec4 world = uModel * vec4(aPosition, 1.0);
    vNormal = mat3(uModel) * aNormal.xyz;
    vWorldPosition = OutlinePush(world.xyz, vNormal);
    vUv = aUv;
    gl_Position = uViewProj * vec4(vWorldPosition, 1.0);
}
