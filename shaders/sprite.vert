#version 450 core
// World sprites: camera-facing squares with their frame of the sheet.

layout(location = 0) in vec3 aPosition;
layout(location = 1) in vec2 aTexCoord;
layout(location = 2) in vec4 aColour;
layout(location = 3) in vec4 aFrame;

uniform mat4 uViewProj;

out vec2 vTexCoord;
out vec4 vColour;
flat out vec4 vFrame;

void main() {
    vTexCoord = aTexCoord;
    vColour = aColour;
    vFrame = aFrame;
    gl_Position = uViewProj * vec4(aPosition, 1.0);
}
