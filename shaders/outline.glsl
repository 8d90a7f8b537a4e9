// The outline: the outline pass draws the back faces of the model pushed out along their normals
// by uOutline metres, in one flat colour.
uniform int uOutlinePass;
uniform float uOutline;

vec3 OutlinePush(vec3 worldPosition, vec3 worldNormal) {
    return uOutlinePass == 1 ? worldPosition + normalize(worldNormal) * uOutline : worldPosition;
}
