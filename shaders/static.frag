#version 450 core

in vec3 vWorldPosition;
in vec3 vNormal;
in vec2 vUv;

uniform sampler2D uAlbedo;
uniform vec4 uBaseColor;
uniform int uHasTexture;
uniform vec3 uEmissive;
uniform float uLightBoost;   // how much scene light reaches the surface (below 1 for emissive-only)
uniform int uAlphaBlend;
uniform float uOpacity;
uniform float uGloss;
uniform float uSpecular;
uniform float uRim;
uniform int uLightList[16];
uniform int uLightListCount;  // -1 = every light of the block
uniform int uOutlinePass;
uniform vec3 uOutlineColor;

#include "lighting.glsl"

int ListedLightCount() {
    return uLightListCount < 0 ? int(lightCounts.x) : min(uLightListCount, 16);
}

int ListedLight(int i) {
    return uLightListCount < 0 ? i : uLightList[i];
}

out vec4 fragColour;

void main() {
    if (uOutlinePass == 1) {
        fragColour = vec4(uOutlineColor, uOpacity);
        return;
    }
    vec4 texel = uHasTexture == 1 ? texture(uAlbedo, vUv) : vec4(1.0);
    vec4 albedo = uBaseColor * texel;
    vec3 light = SurfaceLight(vWorldPosition, vNormal, uGloss, uSpecular, uRim);
    // An emissive-only material's texture is its emission.
    vec3 emission = uEmissive * (uHasTexture == 1 ? texel.rgb : vec3(1.0));
    vec3 colour = albedo.rgb * light * uLightBoost + emission;
    float alpha = uAlphaBlend == 1 ? albedo.a * uOpacity : uOpacity;
    fragColour = vec4(colour, alpha);
}
