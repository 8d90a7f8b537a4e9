#include "game/rig_loader.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <glm/gtc/matrix_transform.hpp>

#include "support/gltf_text.h"
#include "support/temp_folder.h"

namespace {

using testsupport::ByteWriter;
using testsupport::CountLines;
using testsupport::GltfText;

// Collects float accessors into one buffer and writes the bufferViews and accessors members.
struct Accessors {
    ByteWriter buffer;
    std::vector<std::string> views, accessors;

    int Add(const std::vector<float>& values, const char* type, size_t count) {
        const size_t offset = buffer.bytes.size();
        for (float v : values) buffer.F32(v);
        views.push_back("{\"buffer\":0,\"byteOffset\":" + std::to_string(offset) +
                        ",\"byteLength\":" + std::to_string(values.size() * 4) + "}");
        accessors.push_back("{\"bufferView\":" + std::to_string(views.size() - 1) +
                            ",\"componentType\":5126,\"count\":" + std::to_string(count) + ",\"type\":\"" + type +
                            "\"}");
        return static_cast<int>(accessors.size() - 1);
    }
    std::string Members() const {
        std::string out = ",\"bufferViews\":[";
        for (size_t i = 0; i < views.size(); ++i) out += (i ? "," : "") + views[i];
        out += "],\"accessors\":[";
        for (size_t i = 0; i < accessors.size(); ++i) out += (i ? "," : "") + accessors[i];
        return out + "]";
    }
};

std::vector<float> Translation(float x, float y, float z) {
    const glm::mat4 m = glm::translate(glm::mat4(1.0f), glm::vec3(x, y, z));
    const float* p = &m[0][0];
    return std::vector<float>(p, p + 16);
}

bool Load(GltfDocument& doc, const std::string& text) {
    return LoadGltfDocumentFromBytes(doc, reinterpret_cast<const unsigned char*>(text.data()), text.size(), "rig",
                                     "", "[test]");
}

// Nodes: 0 Armature (at y 1) over pelvis (1) and torso_bottom (4); pelvis -> upper_leg.l (2, given
// as a matrix) -> an unnamed joint (3); a prop (5) under torso_bottom; the skinned mesh node (6).
// Skin joints in the order pelvis, torso_bottom, upper_leg.l, unnamed.
std::string CharacterText() {
    Accessors a;
    const int positions = a.Add({0, 0, 0, 1, 0, 0, 0, 1, 0}, "VEC3", 3);
    std::vector<float> binds;
    for (int j = 0; j < 4; ++j) {
        const std::vector<float> m = Translation(0.0f, -0.1f * static_cast<float>(j), 0.0f);
        binds.insert(binds.end(), m.begin(), m.end());
    }
    const int bindAccessor = a.Add(binds, "MAT4", 4);
    const int twoKeys = a.Add({0.0f, 1.0f}, "SCALAR", 2);
    const int threeKeys = a.Add({0.0f, 0.5f, 1.0f}, "SCALAR", 3);
    const int sameRotations = a.Add({0, 0, 0, 1, 0, 0, 0, 1}, "VEC4", 2);
    const int nearRotations = a.Add({0, 0, 0, 1, 0.00002f, 0, 0, 1}, "VEC4", 2);
    const int moves = a.Add({0, 0, 0, 0, 1, 0, 0, 2, 0}, "VEC3", 3);
    const int propMoves = a.Add({5, 5, 5, 6, 6, 6}, "VEC3", 2);
    const int weights = a.Add({0.0f, 1.0f}, "SCALAR", 2);
    // Cubic spline: in-tangent, value, out-tangent per key.
    const int spline = a.Add({99, 99, 99, 1, 2, 3, 98, 98, 98, 97, 97, 97, 4, 5, 6, 96, 96, 96}, "VEC3", 6);
    const int shortRotations = a.Add({0, 0, 0, 1, 0, 1, 0, 0}, "VEC4", 2);
    const auto n = [](int i) { return std::to_string(i); };

    const std::string body = a.Members() + R"(,
 "meshes":[{"primitives":[{"attributes":{"POSITION":)" + n(positions) + R"(}}]}],
 "nodes":[
  {"name":"Armature","translation":[0,1,0],"children":[1,4,6]},
  {"name":"pelvis","translation":[0,0.5,0],"children":[2]},
  {"name":"upper_leg.l","matrix":[1,0,0,0, 0,-1,0,0, 0,0,-1,0, 0.1,-0.05,0,1],"children":[3]},
  {"translation":[0,0.4,0]},
  {"name":"torso_bottom","translation":[0,0.5,0],"rotation":[0,0.7071068,0,0.7071068],"children":[5]},
  {"name":"prop"},
  {"name":"body","mesh":0,"skin":0}],
 "skins":[{"name":"rig","joints":[1,4,2,3],"inverseBindMatrices":)" + n(bindAccessor) + R"(}],
 "animations":[
  {"samplers":[
     {"input":)" + n(twoKeys) + R"(,"output":)" + n(sameRotations) + R"(},
     {"input":)" + n(threeKeys) + R"(,"output":)" + n(moves) + R"(,"interpolation":"STEP"},
     {"input":)" + n(twoKeys) + R"(,"output":)" + n(propMoves) + R"(},
     {"input":)" + n(twoKeys) + R"(,"output":)" + n(nearRotations) + R"(},
     {"input":)" + n(twoKeys) + R"(,"output":)" + n(weights) + R"(}],
   "channels":[
     {"sampler":0,"target":{"node":2,"path":"rotation"}},
     {"sampler":1,"target":{"node":1,"path":"translation"}},
     {"sampler":2,"target":{"node":5,"path":"translation"}},
     {"sampler":3,"target":{"node":3,"path":"rotation"}},
     {"sampler":4,"target":{"node":1,"path":"weights"}}]},
  {"name":"run","samplers":[
     {"input":)" + n(twoKeys) + R"(,"output":)" + n(spline) + R"(,"interpolation":"CUBICSPLINE"},
     {"input":)" + n(threeKeys) + R"(,"output":)" + n(shortRotations) + R"(}],
   "channels":[
     {"sampler":0,"target":{"node":4,"path":"translation"}},
     {"sampler":1,"target":{"node":2,"path":"rotation"}}]}]
)";
    return GltfText(a.buffer.bytes, body);
}

TEST(LoadClips, BuildsTheSkeletonOfTheSkin) {
    GltfDocument doc;
    ASSERT_TRUE(Load(doc, CharacterText()));
    testing::internal::CaptureStdout();
    const tinygltf::Skin* skin = anim::ChooseSkin(doc);
    ASSERT_NE(skin, nullptr);
    anim::Skeleton skeleton;
    std::vector<anim::Clip> clips;
    testing::internal::CaptureStderr();
    ASSERT_TRUE(anim::LoadClips(doc, skin, skeleton, clips));
    testing::internal::GetCapturedStderr();
    const std::string out = testing::internal::GetCapturedStdout();
    EXPECT_EQ(out.find("skins present"), std::string::npos);  // one skin: no skin line

    EXPECT_EQ(skeleton.jointNames, (std::vector<std::string>{"pelvis", "torso_bottom", "upper_leg.l", "joint3"}));
    EXPECT_EQ(skeleton.parents, (std::vector<int32_t>{-1, -1, 0, 2}));
    EXPECT_EQ(skeleton.legFlags, (std::vector<uint8_t>{1, 0, 1, 0}));
    EXPECT_EQ(skeleton.evaluationOrder, (std::vector<int32_t>{0, 2, 3, 1}));
    EXPECT_EQ(skeleton.rootMatrix, glm::translate(glm::mat4(1.0f), glm::vec3(0, 1, 0)));
    EXPECT_TRUE(anim::IsValidSkeleton(skeleton));
    for (int j = 0; j < 4; ++j) {
        EXPECT_EQ(skeleton.inverseBindMatrices[j],
                  glm::translate(glm::mat4(1.0f), glm::vec3(0.0f, -0.1f * static_cast<float>(j), 0.0f)));
    }
    // The matrix joint decomposes into a half turn about x at (0.1, -0.05, 0).
    const anim::JointPose& leg = skeleton.restPose[2];
    EXPECT_NEAR(leg.translation.x, 0.1f, 1e-6f);
    EXPECT_NEAR(leg.translation.y, -0.05f, 1e-6f);
    EXPECT_NEAR(std::fabs(leg.rotation.x), 1.0f, 1e-6f);
    EXPECT_NEAR(leg.scale.y, 1.0f, 1e-6f);
    EXPECT_NEAR(skeleton.restPose[1].rotation.y, 0.7071068f, 1e-6f);
}

TEST(LoadClips, KeepsTransformChannelsOfJointsOnly) {
    GltfDocument doc;
    ASSERT_TRUE(Load(doc, CharacterText()));
    anim::Skeleton skeleton;
    std::vector<anim::Clip> clips;
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    ASSERT_TRUE(anim::LoadClips(doc, anim::ChooseSkin(doc), skeleton, clips));
    const std::string err = testing::internal::GetCapturedStderr();
    const std::string out = testing::internal::GetCapturedStdout();
    ASSERT_EQ(clips.size(), 2u);

    // The prop's channel and the morph-weights channel are left out; channels sorted by joint.
    const anim::Clip& first = clips[0];
    EXPECT_EQ(first.name, "clip0");
    ASSERT_EQ(first.channels.size(), 3u);
    EXPECT_EQ(first.channels[0].joint, 0);
    EXPECT_EQ(first.channels[0].path, anim::kPathTranslation);
    EXPECT_EQ(first.channels[0].interpolation, anim::kInterpolationStep);
    EXPECT_EQ(first.channels[0].keyCount, 3u);
    EXPECT_EQ(first.channels[1].joint, 2);
    EXPECT_EQ(first.channels[2].joint, 3);
    EXPECT_FLOAT_EQ(first.duration, 1.0f);
    // Two identical rotation keys are not motion; keys 0.00002 apart are.
    EXPECT_EQ(first.animatedChannels, 2);
    // The leg's first key (identity) lies a whole component away from its rest half turn.
    EXPECT_NEAR(first.poseDistance, 1.0f, 1e-5f);
    EXPECT_EQ(first.times.size(), 7u);
    EXPECT_EQ(first.values.size(), 9u + 8u + 8u);

    // The cubic spline channel reads the value of each key, not its in-tangent.
    const anim::Clip& run = clips[1];
    EXPECT_EQ(run.name, "run");
    ASSERT_EQ(run.channels.size(), 1u);
    const anim::ClipChannel& spline = run.channels[0];
    EXPECT_EQ(spline.interpolation, anim::kInterpolationCubicSpline);
    EXPECT_EQ(spline.keyCount, 2u);
    EXPECT_EQ(std::vector<float>(run.values.begin() + spline.firstValue, run.values.begin() + spline.firstValue + 6),
              (std::vector<float>{1, 2, 3, 4, 5, 6}));

    EXPECT_NE(out.find("[model] clip 'clip0' 1.000s, 3 channels, 2 animated, pose 1.00\n"), std::string::npos) << out;
    EXPECT_NE(out.find("[model] clip 'run' 1.000s, 1 channels, 1 animated, pose 0.00\n"), std::string::npos) << out;
    EXPECT_EQ(CountLines(out), 2);
    // The rotation channel with three keys and two values is refused with one line.
    EXPECT_EQ(CountLines(err), 1) << err;
    EXPECT_NE(err.find("[model] clip 'run'"), std::string::npos) << err;
}

std::string SkinsText(const std::vector<int>& skinOfMeshNode, bool withBinds) {
    Accessors a;
    const int positions = a.Add({0, 0, 0, 1, 0, 0, 0, 1, 0}, "VEC3", 3);
    const std::vector<float> bind = Translation(0, 0, 0);
    const int binds = a.Add(bind, "MAT4", 1);
    std::string nodes = R"({"name":"root","translation":[1,2,3],"children":[1]},{"name":"hip","translation":[0,1,0]})";
    for (int skin : skinOfMeshNode) {
        nodes += R"(,{"mesh":0,"skin":)" + std::to_string(skin) + "}";
    }
    const std::string bindMember = withBinds ? ",\"inverseBindMatrices\":" + std::to_string(binds) : "";
    const std::string body = a.Members() + R"(,"meshes":[{"primitives":[{"attributes":{"POSITION":)" +
                             std::to_string(positions) + R"(}}]}],"nodes":[)" + nodes +
                             R"(],"skins":[{"name":"first","joints":[1])" + bindMember +
                             R"(},{"joints":[0,1])" + bindMember + "}]";
    return GltfText(a.buffer.bytes, body);
}

TEST(ChooseSkin, TakesTheSkinMostMeshesUse) {
    struct Case {
        std::vector<int> meshSkins;
        int expected;
        const char* line;
    };
    const Case cases[] = {
        {{0, 1, 0}, 0, "[model] 2 skins present; using 'first' (1 joints, 2 meshes)\n"},
        {{1, 0, 1}, 1, "[model] 2 skins present; using '?' (2 joints, 2 meshes)\n"},
        {{1, 0}, 0, "[model] 2 skins present; using 'first' (1 joints, 1 meshes)\n"},  // a tie keeps the first
        {{}, 0, "[model] 2 skins present; using 'first' (1 joints, 0 meshes)\n"},
    };
    for (const Case& c : cases) {
        GltfDocument doc;
        ASSERT_TRUE(Load(doc, SkinsText(c.meshSkins, true)));
        testing::internal::CaptureStdout();
        const tinygltf::Skin* skin = anim::ChooseSkin(doc);
        const std::string out = testing::internal::GetCapturedStdout();
        EXPECT_EQ(skin, &doc.model.skins[c.expected]);
        EXPECT_EQ(out, c.line);
    }
}

TEST(LoadClips, WithoutBindMatricesInvertsTheJointsWorldMatrices) {
    GltfDocument doc;
    ASSERT_TRUE(Load(doc, SkinsText({1}, false)));
    anim::Skeleton skeleton;
    std::vector<anim::Clip> clips(3);
    testing::internal::CaptureStdout();
    ASSERT_TRUE(anim::LoadClips(doc, &doc.model.skins[1], skeleton, clips));
    testing::internal::GetCapturedStdout();
    EXPECT_TRUE(clips.empty());
    EXPECT_EQ(skeleton.parents, (std::vector<int32_t>{-1, 0}));
    EXPECT_EQ(skeleton.inverseBindMatrices[0], glm::translate(glm::mat4(1.0f), glm::vec3(-1, -2, -3)));
    EXPECT_EQ(skeleton.inverseBindMatrices[1], glm::translate(glm::mat4(1.0f), glm::vec3(-1, -3, -3)));
    // The first skin's joint hangs under "root": the root matrix places it.
    ASSERT_TRUE(anim::LoadClips(doc, &doc.model.skins[0], skeleton, clips));
    EXPECT_EQ(skeleton.rootMatrix, glm::translate(glm::mat4(1.0f), glm::vec3(1, 2, 3)));
}

TEST(LoadClips, RefusesASkinWithTooFewBindMatricesOrNoJoints) {
    std::string text = SkinsText({1}, true);
    GltfDocument doc;
    ASSERT_TRUE(Load(doc, text));
    anim::Skeleton skeleton;
    std::vector<anim::Clip> clips(2);
    testing::internal::CaptureStderr();
    EXPECT_FALSE(anim::LoadClips(doc, &doc.model.skins[1], skeleton, clips));  // 2 joints, 1 matrix
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(err, "[model] skin '?': 1 inverse bind matrices for 2 joints\n");
    EXPECT_TRUE(skeleton.jointNames.empty());
    EXPECT_EQ(clips.size(), 2u);

    tinygltf::Skin empty;
    EXPECT_FALSE(anim::LoadClips(doc, &empty, skeleton, clips));
    EXPECT_FALSE(anim::LoadClips(doc, nullptr, skeleton, clips));
    EXPECT_EQ(clips.size(), 2u);
}

TEST(NodeLocalPose, ReadsMatricesAndParts) {
    tinygltf::Node plain;
    plain.translation = {1, 2, 3};
    plain.rotation = {0, 0, 1, 0};
    plain.scale = {2, 2, 2};
    const anim::JointPose a = anim::NodeLocalPose(plain);
    EXPECT_EQ(a.translation, glm::vec3(1, 2, 3));
    EXPECT_EQ(a.rotation, glm::quat(0, 0, 0, 1));
    EXPECT_EQ(a.scale, glm::vec3(2));

    tinygltf::Node partial;
    partial.scale = {1, 3, 1};
    const anim::JointPose b = anim::NodeLocalPose(partial);
    EXPECT_EQ(b.translation, glm::vec3(0));
    EXPECT_EQ(b.rotation, glm::quat(1, 0, 0, 0));
    EXPECT_EQ(b.scale, glm::vec3(1, 3, 1));

    tinygltf::Node matrix;
    matrix.matrix = {2, 0, 0, 0, 0, 2, 0, 0, 0, 0, 2, 0, 4, 5, 6, 1};
    const anim::JointPose c = anim::NodeLocalPose(matrix);
    EXPECT_EQ(c.translation, glm::vec3(4, 5, 6));
    EXPECT_NEAR(c.scale.x, 2.0f, 1e-6f);
    EXPECT_NEAR(c.rotation.w, 1.0f, 1e-6f);

    tinygltf::Node degenerate;
    degenerate.matrix = {2, 0, 0, 0, 0, 2, 0, 0, 0, 0, 2, 0, 4, 5, 6, 0};
    const anim::JointPose d = anim::NodeLocalPose(degenerate);
    EXPECT_EQ(d.translation, glm::vec3(0));
    EXPECT_EQ(d.rotation, glm::quat(1, 0, 0, 0));
    EXPECT_EQ(d.scale, glm::vec3(1));
}

TEST(IsLegBoneName, MatchesLegWordsInAnyCase) {
    for (const char* name : {"Pelvis_L", "LeftToe", "leg.upper", "THIGH", "shin.r", "foot", "lower_leg.l"}) {
        EXPECT_TRUE(anim::IsLegBoneName(name)) << name;
    }
    for (const char* name : {"Hip", "torso_bottom", "hand.r", "", "spine"}) {
        EXPECT_FALSE(anim::IsLegBoneName(name)) << name;
    }
}

TEST(ChannelMaps, PathsAndInterpolations) {
    EXPECT_EQ(anim::ToChannelPath("rotation"), anim::kPathRotation);
    EXPECT_EQ(anim::ToChannelPath("scale"), anim::kPathScale);
    EXPECT_EQ(anim::ToChannelPath("translation"), anim::kPathTranslation);
    EXPECT_EQ(anim::ToChannelPath("weights"), anim::kPathTranslation);
    EXPECT_EQ(anim::ToInterpolation("STEP"), anim::kInterpolationStep);
    EXPECT_EQ(anim::ToInterpolation("CUBICSPLINE"), anim::kInterpolationCubicSpline);
    EXPECT_EQ(anim::ToInterpolation("LINEAR"), anim::kInterpolationLinear);
    EXPECT_EQ(anim::ToInterpolation("step"), anim::kInterpolationLinear);
}

// A file in a folder of its own, removed with it at the end of the test.
struct TempFile {
    testsupport::TempFolder folder;
    std::string path;
    TempFile(const std::string& name, const std::string& text) : path(folder.Path() + "/" + name) {
        std::ofstream(path, std::ios::binary) << text;
    }
};

TEST(LoadRig, ReportsEachFailureWithItsLine) {
    const TempFile good("zw_rig_good.gltf", CharacterText());
    const TempFile skinless("zw_rig_skinless.gltf", GltfText({0, 0, 0, 0}, R"(,"nodes":[{"name":"a"}])"));
    const TempFile garbage("zw_rig_garbage.glb", "not a model at all");
    // A buffer view reaching past its 4-byte buffer: parsed, but its buffers do not hold the data.
    const TempFile shortBuffer("zw_rig_short_buffer.gltf",
                               GltfText({0, 0, 0, 0}, R"(,"bufferViews":[{"buffer":0,"byteLength":64}])"));

    anim::Rig rig;
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    EXPECT_TRUE(anim::LoadRig(rig, good.path));
    testing::internal::GetCapturedStderr();
    testing::internal::GetCapturedStdout();
    EXPECT_EQ(rig.skeleton.jointNames.size(), 4u);
    EXPECT_EQ(rig.clips.size(), 2u);

    testing::internal::CaptureStderr();
    EXPECT_FALSE(anim::LoadRig(rig, skinless.path));
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "[animation] could not decode rig in " + skinless.path + "\n");
    EXPECT_TRUE(rig.skeleton.jointNames.empty());
    EXPECT_TRUE(rig.clips.empty());

    testing::internal::CaptureStdout();
    const bool reloaded = anim::LoadRig(rig, good.path);
    testing::internal::GetCapturedStdout();
    ASSERT_TRUE(reloaded);
    testing::internal::CaptureStderr();
    EXPECT_FALSE(anim::LoadRig(rig, shortBuffer.path));
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "[animation] could not decode rig in " + shortBuffer.path + "\n");
    EXPECT_TRUE(rig.skeleton.jointNames.empty());
    EXPECT_TRUE(rig.clips.empty());

    testing::internal::CaptureStderr();
    EXPECT_FALSE(anim::LoadRig(rig, garbage.path));
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "[animation] failed to parse " + garbage.path + "\n");

    testing::internal::CaptureStderr();
    EXPECT_FALSE(anim::LoadRig(rig, "/nonexistent/character.glb"));
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "[animation] failed to parse /nonexistent/character.glb\n");
}

}  // namespace

namespace {

// One joint "hip" (node 0, under the non-joint node 1) and one rotation channel on it with the given
// key times and values; `nodeMembers` add to the joint node, `parentMembers` to its parent.
std::string OneChannelRig(const std::vector<float>& times, const std::vector<float>& values,
                          const char* interpolation, const std::vector<float>& bind, const char* nodeMembers = "",
                          const char* parentMembers = "") {
    Accessors a;
    const int input = a.Add(times, "SCALAR", times.size());
    const int output = a.Add(values, "VEC4", values.size() / 4);
    const int binds = bind.empty() ? -1 : a.Add(bind, "MAT4", 1);
    const std::string bindMember = binds < 0 ? "" : ",\"inverseBindMatrices\":" + std::to_string(binds);
    const std::string body = a.Members() + R"(,
 "nodes":[{"name":"hip")" + nodeMembers + R"(},{"name":"Armature","children":[0])" + parentMembers + R"(}],
 "skins":[{"name":"rig","joints":[0])" + bindMember + R"(}],
 "animations":[{"name":"walk","samplers":[{"input":)" + std::to_string(input) + R"(,"output":)" +
                             std::to_string(output) + R"(,"interpolation":")" + interpolation + R"("}],
   "channels":[{"sampler":0,"target":{"node":0,"path":"rotation"}}]}]
)";
    return GltfText(a.buffer.bytes, body);
}

struct RigLoadOutcome {
    bool ok = false;
    size_t channels = 0;
    std::string err;
};

RigLoadOutcome LoadOneChannelRig(const std::string& text) {
    GltfDocument doc;
    RigLoadOutcome outcome;
    if (!Load(doc, text)) return outcome;
    anim::Skeleton skeleton;
    std::vector<anim::Clip> clips;
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    outcome.ok = anim::LoadClips(doc, anim::ChooseSkin(doc), skeleton, clips);
    outcome.err = testing::internal::GetCapturedStderr();
    testing::internal::GetCapturedStdout();
    if (outcome.ok && clips.size() == 1) outcome.channels = clips[0].channels.size();
    return outcome;
}

// Keys the sampler cannot use, or that would carry a number that is not finite into every joint
// matrix, leave their channel out with one line; the rig still loads.
TEST(LoadClips, SkipsChannelsWhoseKeysAreNotFiniteOrGoBackwards) {
    const float nan = std::nanf("");
    const float inf = INFINITY;
    const std::vector<float> identity = Translation(0, 0, 0);
    const std::vector<float> twoRotations = {0, 0, 0, 1, 0, 1, 0, 0};
    const std::string prefix = "[model] clip 'walk': rotation keys on 'hip' have ";
    const struct {
        const char* what;
        std::vector<float> times;
        std::vector<float> values;
        const char* interpolation;
        const char* fault;  // null: the channel is kept
    } cases[] = {
        {"a NaN time", {0, nan}, twoRotations, "LINEAR", "times that are not finite"},
        {"an infinite time", {-inf, 1}, twoRotations, "STEP", "times that are not finite"},
        {"times going backwards", {0.5f, 0.25f}, twoRotations, "LINEAR", "times that go backwards"},
        {"a NaN value", {0, 1}, {0, 0, 0, 1, 0, nan, 0, 0}, "LINEAR", "values that are not finite"},
        {"an infinite value", {0, 1}, {0, 0, 0, 1, inf, 1, 0, 0}, "STEP", "values that are not finite"},
        {"a NaN spline value",
         {0},
         {0, 0, 0, 0, nan, 0, 0, 1, 0, 0, 0, 0},
         "CUBICSPLINE",
         "values that are not finite"},
        {"equal times", {0.5f, 0.5f}, twoRotations, "LINEAR", nullptr},
        {"a NaN tangent, which is never read", {0}, {nan, 0, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0}, "CUBICSPLINE", nullptr},
    };
    for (const auto& c : cases) {
        const RigLoadOutcome outcome = LoadOneChannelRig(OneChannelRig(c.times, c.values, c.interpolation, identity));
        EXPECT_TRUE(outcome.ok) << c.what;
        if (c.fault) {
            EXPECT_EQ(outcome.err, prefix + c.fault + ", channel skipped\n") << c.what;
            EXPECT_EQ(outcome.channels, 0u) << c.what;
        } else {
            EXPECT_EQ(outcome.err, "") << c.what;
            EXPECT_EQ(outcome.channels, 1u) << c.what;
        }
    }
}

// A skin whose inverse bind matrices, rest pose or root placement hold a number that is not finite is
// refused: the animator would carry it into every joint matrix.
TEST(LoadClips, RefusesASkinThatIsNotFinite) {
    std::vector<float> nanBind = Translation(0, 0, 0);
    nanBind[13] = std::nanf("");
    std::vector<float> infBind = Translation(0, 0, 0);
    infBind[0] = INFINITY;
    const struct {
        const char* what;
        std::vector<float> bind;
        const char* nodeMembers;
        const char* parentMembers;
        const char* line;
    } cases[] = {
        {"a NaN bind matrix", nanBind, "", "", "the inverse bind matrix of joint 0 is not finite"},
        {"an infinite bind matrix", infBind, "", "", "the inverse bind matrix of joint 0 is not finite"},
        {"a joint of scale 0 without bind matrices", {}, R"(,"scale":[0,0,0])", "",
         "the inverse bind matrix of joint 0 is not finite"},
        {"a rest pose past the float range", Translation(0, 0, 0), R"(,"translation":[1e39,0,0])", "",
         "the rest pose of joint 0 is not finite"},
        {"a root placed past the float range", Translation(0, 0, 0), "", R"(,"translation":[0,-1e39,0])",
         "the root matrix is not finite"},
    };
    for (const auto& c : cases) {
        const RigLoadOutcome outcome =
            LoadOneChannelRig(OneChannelRig({0, 1}, {0, 0, 0, 1, 0, 1, 0, 0}, "LINEAR", c.bind, c.nodeMembers,
                                            c.parentMembers));
        EXPECT_FALSE(outcome.ok) << c.what;
        EXPECT_EQ(outcome.err, std::string("[model] skin 'rig': ") + c.line + "\n") << c.what;
    }
    const RigLoadOutcome good = LoadOneChannelRig(OneChannelRig({0, 1}, {0, 0, 0, 1, 0, 1, 0, 0}, "LINEAR", {}));
    EXPECT_TRUE(good.ok) << good.err;
    EXPECT_EQ(good.channels, 1u);
}

// Files the reader refuses reach the rig loader as one line each.
TEST(LoadRig, FilesTheReaderRefusesFailWithOneLine) {
    const testsupport::TempFolder temp;
    ByteWriter glb;
    const std::string json = R"({"asset":{"version":"2.0"},"buffers":[{"byteLength":0}]})";
    for (char c : std::string("glTF")) glb.U8(static_cast<uint8_t>(c));
    glb.U32(2);
    glb.U32(static_cast<uint32_t>(12 + 8 + json.size() + 16));
    glb.U32(static_cast<uint32_t>(json.size()));
    glb.U32(0x4E4F534Au);
    for (char c : json) glb.U8(static_cast<uint8_t>(c));
    glb.U32(8);
    glb.U32(0x004E4942u);
    for (int i = 0; i < 8; ++i) glb.U8(0);
    const std::string thrown = temp.Path() + "/thrown.glb";
    testsupport::WriteTextFile(thrown, std::string(glb.bytes.begin(), glb.bytes.end()));
    // Twelve channels share one sampler of two million keys.
    std::string channels;
    for (int i = 0; i < 12; ++i) channels += std::string(i ? "," : "") + R"({"sampler":0,"target":{"node":0,"path":"rotation"}})";
    const std::string keys = temp.Path() + "/keys.gltf";
    testsupport::WriteTextFile(keys, R"({"asset":{"version":"2.0"},"nodes":[{"name":"j"}],"skins":[{"joints":[0]}],
        "accessors":[{"componentType":5126,"count":2000000,"type":"SCALAR"},
                     {"componentType":5126,"count":2000000,"type":"VEC4"}],
        "animations":[{"samplers":[{"input":0,"output":1}],"channels":[)" + channels + "]}]}");
    const struct {
        std::string path;
        std::string err;
    } cases[] = {
        {thrown, "[animation] failed to parse " + thrown + "\n"},
        {keys, "[animation] " + keys + " is too large to load (accessor values over 8388608)\n"},
    };
    for (const auto& c : cases) {
        anim::Rig rig;
        testing::internal::CaptureStdout();
        testing::internal::CaptureStderr();
        EXPECT_FALSE(anim::LoadRig(rig, c.path));
        EXPECT_EQ(testing::internal::GetCapturedStderr(), c.err);
        EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
        EXPECT_TRUE(rig.skeleton.jointNames.empty() && rig.clips.empty());
    }
}

}  // namespace
