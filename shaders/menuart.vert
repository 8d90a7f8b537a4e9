#version 450 core
// The painted title menu's quads in window pixels (origin top-left, y down).

layout(location = 0) in vec2 aPosition;
layout(location = 1) in vec2 aTexCoord;
layout(location = 2) in vec4 aColour;

uniform vec2 uViewport;

out vec2 vTexCoord;
out vec4 vColour;

void main() {
    vTexCoord = aTexCoord;
    vColour = aColour;
    vec2 clip = aPosition / uViewport * 2.0 - 1.0;
    gl_Position = vec4(clip.x, -clip.y, 0.0, 1.0);
}
