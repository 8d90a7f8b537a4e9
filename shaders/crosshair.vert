#version 450 core
// Crosshair quads in pixels from the viewport's centre.

layout(location = 0) in vec2 aPixel;
layout(location = 1) in vec4 aColour;

uniform vec2 uViewportSize;

out vec4 vColour;

void main() {
    vColour = aColour;
    gl_Position = vec4(aPixel / (uViewportSize * 0.5), 0.0, 1.0);
}
