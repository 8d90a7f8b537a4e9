#version 450 core
// Rectangles and text: the vertex colour, its alpha times the font atlas (the solid block is 1).
// Colours arrive as sRGB bytes and the frame writes sRGB, so they are made linear first and come
// out as the same bytes.

in vec2 vTexCoord;
in vec4 vColour;

uniform sampler2D uFont;

out vec4 fragColour;

vec3 SrgbToLinear(vec3 c) {
    return mix(c / 12.92, pow((c + 0.055) / 1.055, vec3(2.4)), step(0.04045, c));
}

void main() {
    float cover = texture(uFont, vTexCoord).r;
    fragColour = vec4(SrgbToLinear(vColour.rgb), vColour.a * cover);
}
