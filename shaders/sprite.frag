#version 450 core
// The frame's texel times the sprite's colour. With an outline, a see-through texel next to an
// opaque one (within the outline's reach and inside the frame) turns dark.

in vec2 vTexCoord;
in vec4 vColour;
flat in vec4 vFrame;  // left, top, right, bottom

uniform sampler2D uTexture;
uniform vec2 uOutline;  // outline reach in texture coordinates

out vec4 fragColour;

float CoverAround(vec2 at) {
    float cover = 0.0;
    for (int i = 0; i < 8; ++i) {
        float angle = float(i) * 0.78539816;
        vec2 probe = clamp(at + vec2(cos(angle), sin(angle)) * uOutline, vFrame.xy, vFrame.zw);
        cover = max(cover, texture(uTexture, probe).a);
    }
    return cover;
}

void main() {
    vec4 texel = texture(uTexture, vTexCoord);
    vec4 colour = vec4(texel.rgb * vColour.rgb, texel.a * vColour.a);
    if (uOutline.x > 0.0 || uOutline.y > 0.0) {
        float edge = CoverAround(vTexCoord) * (1.0 - texel.a);
        colour = vec4(colour.rgb * (1.0 - edge), max(colour.a, edge * vColour.a));
    }
    if (colour.a <= 0.002) discard;
    fragColour = colour;
}
