#version 450 core
// A healing field: a faint face that thickens toward the silhouette, where the line of sight
// grazes the sphere. From inside, the far wall is seen face on and tints the view.

in vec3 vWorld;
in vec3 vNormal;

uniform vec3 uCamera;
uniform vec3 uColor;
uniform float uFaceAlpha;
uniform float uRimAlpha;
uniform float uRimPower;

out vec4 fragColour;

void main() {
    vec3 toCamera = normalize(uCamera - vWorld);
    float facing = abs(dot(normalize(vNormal), toCamera));
    float rim = pow(clamp(1.0 - facing, 0.0, 1.0), max(uRimPower, 0.001));
    float alpha = clamp(uFaceAlpha + uRimAlpha * rim, 0.0, 1.0);
    fragColour = vec4(uColor, alpha);
}
