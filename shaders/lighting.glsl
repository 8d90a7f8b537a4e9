// The light block (uniform binding 1) and the lit surface model shared by the static and skinned
// programs: sun with specular, sky and ground ambient, rim light, and up to 32 point lights.

struct PointLight {
    vec4 positionRadius;
    vec4 colourIntensity;
};

layout(std140, binding = 1) uniform LightBlock {
    vec4 lightSun;          // direction the light travels, switch
    vec4 lightSunColour;    // colour, intensity
    vec4 lightSky;          // ambient colour from above, intensity
    vec4 lightGround;       // bounce colour from below, intensity
    vec4 lightCounts;       // point lights, diffuse bands (0 = smooth), point-light scale
    vec4 lightCamera;       // camera position
    PointLight lightPoints[32];
};

// The point lights a fragment considers: the includer defines these two.
int ListedLightCount();
int ListedLight(int i);

float Banded(float diffuse) {
    float bands = lightCounts.y;
    if (bands < 1.0) return diffuse;
    return ceil(diffuse * bands - 0.001) / bands;
}

// Light arriving at a surface point (linear RGB), without the surface's own colour.
vec3 SurfaceLight(vec3 position, vec3 normal, float gloss, float specular, float rim) {
    vec3 n = normalize(normal);
    vec3 toEye = normalize(lightCamera.xyz - position);
    float up = n.y * 0.5 + 0.5;
    vec3 light = mix(lightGround.rgb * lightGround.w, lightSky.rgb * lightSky.w, up);
    vec3 shine = vec3(0.0);
    if (lightSun.w > 0.5) {
        vec3 toSun = -normalize(lightSun.xyz);
        float diffuse = max(dot(n, toSun), 0.0);
        vec3 sun = lightSunColour.rgb * lightSunColour.w;
        light += sun * Banded(diffuse);
        if (diffuse > 0.0) {
            vec3 halfway = normalize(toSun + toEye);
            shine += sun * specular * pow(max(dot(n, halfway), 0.0), max(gloss, 1.0));
        }
    }
    int count = ListedLightCount();
    float scale = lightCounts.z;
    for (int i = 0; i < count; ++i) {
        int index = ListedLight(i);
        vec3 toLight = lightPoints[index].positionRadius.xyz - position;
        float radius = lightPoints[index].positionRadius.w;
        float distance = length(toLight);
        if (distance >= radius) continue;
        float falloff = 1.0 - distance / radius;
        falloff *= falloff;
        vec3 direction = toLight / max(distance, 0.0001);
        float diffuse = max(dot(n, direction), 0.0);
        vec3 colour = lightPoints[index].colourIntensity.rgb * lightPoints[index].colourIntensity.w * falloff * scale;
        light += colour * Banded(diffuse);
        if (diffuse > 0.0) {
            vec3 halfway = normalize(direction + toEye);
            shine += colour * specular * pow(max(dot(n, halfway), 0.0), max(gloss, 1.0));
        }
    }
    float edge = pow(1.0 - max(dot(n, toEye), 0.0), 3.0);
    light += lightSky.rgb * (rim * edge);
    return light + shine;
}
