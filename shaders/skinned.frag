#version 450 core

in vec3 vWorldPosition;
in vec3 vNormal;
in vec2 vUv;
in float vHit;

uniform sampler2D uAlbedo;
uniform float uOpacity;
uniform float uLightBoost;   // below 1: an emissive-only skin that scene light touches less
uniform float uAlphaCutoff;
uniform vec3 uHitColor;
uniform float uHitStrength;
uniform int uOutlinePass;
uniform vec3 uOutlineColor;

#include "lighting.glsl"

int ListedLightCount() {
    return int(lightCounts.x);
}

int ListedLight(int i) {
    return i;
}

const float kGloss = 32.0;
const float kSpecular = 0.35;
const float kRim = 0.3;

out vec4 fragColour;

void main() {
    if (uOutlinePass == 1) {
        fragColour = vec4(uOutlineColor, uOpacity);
        return;
    }
    vec4 albedo = texture(uAlbedo, vUv);
    if (albedo.a < uAlphaCutoff) discard;
    vec3 light = SurfaceLight(vWorldPosition, vNormal, kGloss, kSpecular, kRim);
    vec3 colour = albedo.rgb * (light * uLightBoost + (1.0 - uLightBoost));
    colour = mix(colour, uHitColor, clamp(vHit * uHitStrength, 0.0, 1.0));
    fragColour = vec4(colour, uOpacity);
}
