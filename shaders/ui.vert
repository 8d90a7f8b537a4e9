#version 450 core
// UI quads in window pixels (origin top-left, y down), for rectangles, text and sheet cells.

layout(location = 0) in vec2 aPosition;
layout(location = 1) in vec2 aTexCoord;
layout(location = 2) in vec4 aColour;
layout(location = 3) in vec4 aCell;

uniform vec2 uViewport;

out vec2 vTexCoord;
out vec4 vColour;
flat out vec4 vCell;

void main() {
    vTexCoord = aTexCoord;
    vColour = aColour;
    vCell = aCell;
    vec2 clip = aPosition / uViewport * 2.0 - 1.0;
    gl_Position = vec4(clip.x, -clip.y, 0.0, 1.0);
}
