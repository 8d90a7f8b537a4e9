// The outline: the outline pass draws the back faces of the model pushed out along their normals
// by uOutline metres, in one flat colour.
uniform int uOutlinePass;
uniform float uOutline;

vec3 OutlinePush(vec3 worldPosition, vec3 worldNormal) {
    float length = length(worldNormal);
    if (uOutlinePass != 1 || length < 1e-6) return worldPosition;
    return worldPosition + worldNormal * (uOutline / length);
}
