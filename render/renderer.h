#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include <glm/mat4x4.hpp>
#include <glm/vec3.hpp>
#include <glm/vec4.hpp>

#include "game/tuning.h"
#include "render/light_list.h"
#include "render/shader.h"
#include "render/sky_settings.h"

// The client's 3D renderer: the programs of the world pass, the GL state every world draw assumes,
// the per-frame character instance buffers and the crosshair. One instance for the whole run; every
// call on the thread that owns the GL context, between Init and Destroy.
//
// A frame, in order: BeginFrame; fill the LightList and SetupLights once; DrawSky; the level (with
// the per-submesh light lists flag set: DrawDepthPrepass, DrawStatic, RestoreDepthState, or
// DrawStatic alone), then DrawDebugMesh; characters (ClearInstances, AddInstances per character,
// UploadInstances once, then a draw per character); held weapons and props with DrawStatic; the
// effects, health-bomb fields and sprites; DrawCrosshair.
//
// GL state between draws: depth test on and writing, blending off, back faces culled with
// counter-clockwise front faces, filled polygons, sRGB writes. Reversed depth (clip control zero to
// one, clear depth 0, GL_GREATER) is the default; without it clear depth 1 and GL_LEQUAL.
namespace render {

struct SkinnedModel;
struct StaticModel;
struct DebugMesh;

// The colour a hit character flashes toward and how far, from the shot-feedback settings. The
// per-instance value of each joint says how much of it that joint shows.
struct HitFlash {
    glm::vec3 colour{1.0f, 0.32f, 0.24f};
    float strength = 0.85f;
};
HitFlash HitFlashOf(const tune::ShotFeedbackTuning& shotFeedback);

// One vertex of the crosshair: pixels from the screen centre and a colour.
struct CrosshairVertex {
    float x = 0.0f;
    float y = 0.0f;
    uint8_t colour[4] = {0, 0, 0, 0};
};
static_assert(sizeof(CrosshairVertex) == 12, "the crosshair vertex layout is fixed");

// The crosshair's triangles for a style and the current shot spread: the outline quads first, then
// the coloured ones (four arms, and the centre dot when on); nothing when the style is off.
void BuildCrosshair(const tune::CrosshairTuning& style, float spread, std::vector<CrosshairVertex>& out);

// Six planes (a, b, c, d) of a view-projection, left, right, bottom, top, near, far; each normalised
// when its normal is longer than 1e-6.
struct Frustum {
    glm::vec4 planes[6];
};
Frustum ExtractFrustum(const glm::mat4& viewProj);
// False when the box lies wholly behind one plane; a box touching a plane is inside.
bool BoxInFrustum(const Frustum& frustum, const glm::vec3& boxMin, const glm::vec3& boxMax);
bool BoxInFrustum(const glm::mat4& viewProj, const glm::vec3& boxMin, const glm::vec3& boxMax);

struct Renderer {
    uint32_t submeshesDrawn = 0;   // of the last DrawStatic, after culling
    std::vector<LightCullEntry> lightCullEntries;
    uint8_t perSubmeshLightLists = 0;  // set by the caller around the level draw
    uint32_t submeshesTotal = 0;   // of the last DrawStatic's model
    Shader skinnedProgram;
    Shader staticProgram;
    Shader skyProgram;
    uint32_t skyVertexArray = 0;
    Shader depthOnlyProgram;
    Shader debugProgram;
    Shader crosshairProgram;
    uint32_t instanceTransformBuffer = 0;
    uint32_t instanceValueBuffer = 0;
    uint64_t instanceCapacity = 0;  // instances, of both buffers
    std::vector<glm::mat4> instanceTransforms;
    std::vector<float> instanceValues;  // one per transform
    uint32_t crosshairVertexArray = 0;
    uint32_t crosshairVertexBuffer = 0;
    uint64_t crosshairCapacity = 0;  // vertices
    uint8_t outlineEnabled = 1;
    float outlineWidth = 0.018f;
    float outlineColour[3] = {0.0f, 0.0f, 0.0f};
    uint8_t wireframe = 0;
    uint8_t reversedDepth = 1;
    uint32_t whiteTexture = 0;      // bound for an untextured character submesh
    std::string shadersDirectory;   // "" = the shaders folder beside the executable
    std::vector<CrosshairVertex> crosshairVertices;

    // Loads the six programs (skinned, debug, crosshair, static, depth-only, sky: stopping at the
    // first that fails) and makes the GPU objects and the frame's GL state. False is fatal.
    bool Init(const tune::Tuning& tuning);
    // Rebuilds every program but the sky's from its files; true only when all five succeed. A
    // program that fails keeps its previous build.
    bool ReloadShaders();
    void Destroy();

    void BeginFrame(int width, int height, const tune::Tuning& tuning);
    // Depth writes on and the normal depth test, after the depth prepass and the level draw.
    void RestoreDepthState();
    // Takes effect at the next BeginFrame.
    void SetWireframe(bool on);

    void SetupLights(LightList& list, const tune::LightingTuning& lighting, const glm::vec3& cameraPosition);

    // A static model with the static program: culled and counted per submesh, the level's submeshes
    // each with their own light list when the flag is set, translucent below opacity 1.
    void DrawStatic(const StaticModel& model, const glm::mat4& modelMatrix, const glm::mat4& viewProj,
                    const tune::LightingTuning& lighting, const glm::vec4* colourOverride, bool outline,
                    float opacity);
    // Lays down the level's depth; leaves depth writes off and the equal-or-nearer test until
    // RestoreDepthState.
    void DrawDepthPrepass(const StaticModel& model, const glm::mat4& modelMatrix, const glm::mat4& viewProj);
    // Draws the geometry again with front faces culled, pushed out along the normals in the outline
    // colour; the program and the vertex array are bound by the caller.
    void DrawOutlinePass(Shader& program, const std::function<void()>& drawGeometry);

    void ClearInstances();
    // Appends a character's joint matrices (and per-joint values when there is one per matrix, else
    // zeros); returns the index of its first matrix, -1 for none.
    int AddInstances(const std::vector<glm::mat4>& transforms, const std::vector<float>* values);
    void SetInstanceValues(int first, const std::vector<float>& values);
    // Uploads both arrays once per frame (storage bindings 0 and 2).
    void UploadInstances();
    void DrawCharacterInstance(const SkinnedModel& model, int boneOffset, const glm::mat4& modelMatrix,
                               const glm::mat4& viewProj, const tune::LightingTuning& lighting,
                               const HitFlash& hitFlash, float opacity);
    // Below opacity 1: the character's depth first (no outline, no colour), then a blended pass
    // over it, so a translucent character does not show its own hidden faces.
    void DrawCharacterFaded(const SkinnedModel& model, int boneOffset, const glm::mat4& modelMatrix,
                            const glm::mat4& viewProj, const tune::LightingTuning& lighting,
                            const HitFlash& hitFlash, float opacity);

    void DrawSky(const tune::SkyTuning& sky, const SunAngles& sun, const glm::mat4& viewProj,
                 const glm::vec3& cameraPosition, float time);
    // The level's debug overlay with the debug program.
    void DrawDebugMesh(const DebugMesh& mesh, const glm::mat4& viewProj);
    void DrawCrosshair(int viewportWidth, int viewportHeight, const tune::CrosshairTuning& style, float spread);

    // Both instance buffers hold at least n instances: 128 when fewer are asked, else twice n.
    void EnsureInstanceCapacity(uint64_t n);
    std::string ShaderFile(const char* name) const;
};

}  // namespace render
