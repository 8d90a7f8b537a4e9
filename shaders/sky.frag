#version 450 core
// The sky: a gradient from the horizon to the zenith, the sun's disc and glow, and a drifting cloud
// layer lit from the sun's side.

in vec2 vScreen;

uniform mat4 uInverseViewProj;
uniform vec3 uHorizon;
uniform vec3 uMiddle;
uniform vec3 uZenith;
uniform float uHorizonFalloff;
uniform float uZenithFalloff;
uniform vec3 uToSun;
uniform vec3 uSunColor;
uniform float uSunCos;
uniform float uSunEdge;
uniform vec3 uSunGlowColor;
uniform float uSunGlowCos;
uniform float uSunGlowStrength;
uniform int uCloudsOn;
uniform vec3 uCloudColor;
uniform vec3 uCloudSunColor;
uniform float uCloudCellMetres;
uniform float uCloudBankMetres;
uniform float uCloudCoverage;
uniform float uCloudContrast;
uniform float uCloudAltitude;
uniform float uCloudThickness;
uniform vec3 uCloudOffset;
uniform float uCloudHorizonFade;
uniform float uCloudUnderside;
uniform float uCloudSideLift;
uniform float uCloudSunLight;
uniform float uCloudUnderLight;
uniform float uCloudDepth;
uniform vec3 uCameraPosition;
uniform float uSunHeight;
uniform float uDuskLift;

#include "noise.glsl"

out vec4 fragColour;

vec3 ViewRay() {
    // Any depth inside the clip range lies on the pixel's ray.
    vec4 point = uInverseViewProj * vec4(vScreen, 0.5, 1.0);
    return normalize(point.xyz / point.w - uCameraPosition);
}

vec3 Gradient(float up) {
    float above = clamp(up, 0.0, 1.0);
    vec3 colour = mix(uMiddle, uZenith, pow(above, 1.0 / max(uZenithFalloff, 0.001)));
    colour = mix(colour, uHorizon, pow(1.0 - above, max(uHorizonFalloff, 0.001)));
    // Below the horizon the haze darkens toward the ground.
    if (up < 0.0) colour *= 1.0 - 0.5 * clamp(-up * 4.0, 0.0, 1.0);
    return colour * (uSunHeight + (1.0 - uSunHeight) * uDuskLift + 0.25);
}

void main() {
    vec3 ray = ViewRay();
    float up = ray.y;
    vec3 colour = Gradient(up);
    float toSun = dot(ray, normalize(uToSun));

    float glowSpan = max(1.0 - uSunGlowCos, 0.0001);
    float glow = clamp((toSun - uSunGlowCos) / glowSpan, 0.0, 1.0);
    colour += uSunGlowColor * uSunGlowStrength * (glow * glow * (0.4 + 0.6 * glow));

    if (uCloudsOn == 1 && up > 0.0) {
        float travel = (uCloudAltitude - uCameraPosition.y) / max(up, 0.01);
        vec3 hit = uCameraPosition + ray * travel + uCloudOffset;
        float cells = Octaves(hit.xz / max(uCloudCellMetres, 0.001));
        float banks = ValueNoise(hit.xz / max(uCloudBankMetres, 0.001) + vec2(3.7, 1.3));
        float shape = cells * 0.7 + banks * 0.3;
        float density = clamp((shape - (1.0 - uCloudCoverage)) * uCloudContrast * 2.0, 0.0, 1.0);
        density *= smoothstep(0.0, max(uCloudHorizonFade, 0.001), up);
        // Thicker-looking toward the horizon, where the ray crosses more of the layer.
        float thickness = clamp(uCloudThickness / max(travel * up, 1.0), 0.0, 1.0);
        float depth = mix(1.0, 1.0 - uCloudDepth, thickness);
        float sunSide = pow(max(toSun, 0.0), 3.0);
        vec3 underside = uCloudColor * mix(1.0, uCloudUnderside, density) * (uCloudUnderLight + (1.0 - up) * (uCloudSideLift - 1.0));
        vec3 lit = uCloudSunColor * uCloudSunLight * sunSide;
        vec3 cloud = (underside + lit) * depth;
        colour = mix(colour, cloud + uSunGlowColor * uSunGlowStrength * glow * 0.3, density);
    }

    float edge = max((1.0 - uSunCos) * uSunEdge, 0.00001);
    float disc = smoothstep(uSunCos - edge, uSunCos + edge, toSun);
    colour = mix(colour, uSunColor * 1.6, disc);
    fragColour = vec4(colour, 1.0);
}
