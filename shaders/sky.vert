#version 450 core
// One triangle that covers the screen, at the far depth, made from the vertex index alone.

uniform float uFarDepth;

out vec2 vScreen;

void main() {
    vec2 corner = vec2(float((gl_VertexID << 1) & 2), float(gl_VertexID & 2)) * 2.0 - 1.0;
    vScreen = corner;
    gl_Position = vec4(corner, uFarDepth, 1.0);
}
