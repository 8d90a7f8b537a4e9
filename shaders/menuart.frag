#version 450 core
// A painted layer (or a spark, through the white texture) times the vertex colour, with an optional
// band of light sweeping across the picture. The pictures hold sRGB bytes and are sampled as they
// are, so the hover brightening and the band work on the painted values; the frame writes sRGB, so
// the result is made linear last and the untouched art comes out as its own bytes.

in vec2 vTexCoord;
in vec4 vColour;

uniform sampler2D uTex;
uniform float uShine;       // position of the band across the picture, 0..1 (beyond: off the edge); -1 = none
uniform float uShineWidth;  // in the same units
uniform vec3 uShineColor;

out vec4 fragColour;

vec3 SrgbToLinear(vec3 c) {
    return mix(c / 12.92, pow((c + 0.055) / 1.055, vec3(2.4)), step(0.04045, c));
}

void main() {
    vec4 texel = texture(uTex, vTexCoord);
    vec4 colour = texel * vColour;
    if (uShine > -0.5) {
        // The band leans, so that it glints across the figure at a slant rather than as a vertical bar.
        float across = vTexCoord.x + (0.5 - vTexCoord.y) * 0.3;
        float d = (across - uShine) / max(uShineWidth, 1e-4);
        float band = max(1.0 - abs(d), 0.0);
        colour.rgb += uShineColor * (0.75 * band * band);
    }
    fragColour = vec4(SrgbToLinear(clamp(colour.rgb, 0.0, 1.0)), colour.a);
}
