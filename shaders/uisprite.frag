#version 450 core
// Sheet cells: the cell's texel times the vertex colour, with three effects of the draw command.
// Outline: a see-through texel next to an opaque one (within reach, inside the cell) turns dark.
// Shine: a bright band crossing the cell diagonally; at position -1 it lies outside the cell.
// Cooldown: the top `fraction` of the cell is darkened by the shade factor.

in vec2 vTexCoord;
in vec4 vColour;
flat in vec4 vCell;  // left, top, right, bottom

uniform sampler2D uSheet;
uniform vec2 uOutline;   // outline reach in texture coordinates
uniform vec3 uShine;     // position, width, strength
uniform vec2 uCooldown;  // covered fraction, shade factor

out vec4 fragColour;

vec3 SrgbToLinear(vec3 c) {
    return mix(c / 12.92, pow((c + 0.055) / 1.055, vec3(2.4)), step(0.04045, c));
}

float CoverAround(vec2 at) {
    float cover = 0.0;
    for (int i = 0; i < 8; ++i) {
        float angle = float(i) * 0.78539816;
        vec2 probe = clamp(at + vec2(cos(angle), sin(angle)) * uOutline, vCell.xy, vCell.zw);
        cover = max(cover, texture(uSheet, probe).a);
    }
    return cover;
}

void main() {
    vec4 tint = vec4(SrgbToLinear(vColour.rgb), vColour.a);
    vec4 texel = texture(uSheet, vTexCoord);
    vec4 colour = texel * tint;
    if (uOutline.x > 0.0 || uOutline.y > 0.0) {
        float edge = CoverAround(vTexCoord) * (1.0 - texel.a);
        colour = vec4(colour.rgb * (1.0 - edge), max(colour.a, edge * tint.a));
    }

    vec2 size = max(vCell.zw - vCell.xy, vec2(1e-6));
    vec2 local = clamp((vTexCoord - vCell.xy) / size, 0.0, 1.0);
    float along = (local.x + local.y) * 0.5;
    float band = 1.0 - smoothstep(0.0, uShine.y, abs(along - uShine.x));
    colour.rgb += vec3(band * uShine.z * texel.a);

    if (local.y < uCooldown.x) colour.rgb *= 1.0 - uCooldown.y;

    if (colour.a <= 0.002) discard;
    fragColour = colour;
}
