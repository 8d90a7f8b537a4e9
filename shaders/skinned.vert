#version 450 core
// Characters skinned from the frame's joint matrices (storage binding 0, uBoneOffset onwards) with
// one value per joint (binding 2): how strongly that joint shows the hit flash.

layout(location = 0) in vec3 aPosition;
layout(location = 1) in vec4 aNormal;
layout(location = 2) in vec2 aUv;
layout(location = 3) in vec4 aJoints;
layout(location = 4) in vec4 aWeights;

layout(std430, binding = 0) readonly buffer InstanceTransforms {
    mat4 jointMatrices[];
};
layout(std430, binding = 2) readonly buffer InstanceValues {
    float jointValues[];
};

uniform mat4 uModel;
uniform mat4 uViewProj;
uniform int uBoneOffset;

#include "outline.glsl"

out vec3 vWorldPosition;
out vec3 vNormal;
out vec2 vUv;
out float vHit;

void main() {
    float total = aWeights.x + aWeights.y + aWeights.z + aWeights.w;
    mat4 skin = mat4(1.0);
    float hit = 0.0;
    // A vertex bound to no joint keeps its bind pose.
    if (total > 0.0) {
        skin = mat4(0.0);
        for (int i = 0; i < 4; ++i) {
            int joint = uBoneOffset + int(aJoints[i] + 0.5);
            skin += aWeights[i] * jointMatrices[joint];
            hit += aWeights[i] * jointValues[joint];
        }
    }
    mat4 placed = uModel * skin;
    vec4 world = placed * vec4(aPosition, 1.0);
    vNormal = mat3(placed) * aNormal.xyz;
    vWorldPosition = OutlinePush(world.xyz, vNormal);
    vUv = aUv;
    vHit = hit;
    gl_Position = uViewProj * vec4(vWorldPosition, 1.0);
}
