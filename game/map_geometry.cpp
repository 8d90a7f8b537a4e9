#include "game/map_geometry.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "game/deterministic_math.h"
#include "game/gltf_document.h"
#include "game/json_reader.h"
#include "game/tuning.h"

namespace {

constexpr float kFloatMax = 3.4028235e38f;
constexpr float kFacingUnset = -1e9f;

// x' = m0 x + m4 y + (m8 z + m12), likewise y' and z': the order client and server both use.
glm::vec3 TransformPoint(const glm::mat4& m, float x, float y, float z) {
    return {m[0][0] * x + m[1][0] * y + (m[2][0] * z + m[3][0]), m[0][1] * x + m[1][1] * y + (m[2][1] * z + m[3][1]),
            m[0][2] * x + m[1][2] * y + (m[2][2] * z + m[3][2])};
}

std::string LowerAscii(const std::string& text) {
    std::string out = text;
    for (char& c : out) {
        if (c >= 'A' && c <= 'Z') c = char(c - 'A' + 'a');
    }
    return out;
}

const json::Value& ExtraValue(const std::string& extras, const char* key, json::Value& storage) {
    if (extras.empty() || !json::Parse(extras, storage)) return json::NullValue();
    return storage.Find(key);
}

struct PendingSpawn {
    SpawnPoint spawn;
    float probeHeight = 0.0f;
};

bool IsFinite(const glm::vec3& p) { return std::isfinite(p.x) && std::isfinite(p.y) && std::isfinite(p.z); }

// Accessors read once per load, however many primitives and nodes share them: a small file whose
// primitives all name one large accessor must not make the loader read it again for each of them.
struct MapAccessorReads {
    const GltfDocument& doc;
    std::unordered_map<int, std::vector<float>> positions;
    std::unordered_map<int, std::vector<uint32_t>> indices;
    std::unordered_set<int> unreadable;

    // Null when the accessor cannot be read as positions (three floats per vertex).
    const std::vector<float>* Positions(int accessor) {
        if (unreadable.count(accessor)) return nullptr;
        auto found = positions.find(accessor);
        if (found != positions.end()) return &found->second;
        std::vector<float> values;
        if (!ReadGltfFloats(doc, accessor, values, 3)) {
            unreadable.insert(accessor);
            return nullptr;
        }
        return &positions.emplace(accessor, std::move(values)).first->second;
    }
    // Null when the accessor cannot be read as triangle indices.
    const std::vector<uint32_t>* Indices(int accessor) {
        if (unreadable.count(accessor)) return nullptr;
        auto found = indices.find(accessor);
        if (found != indices.end()) return &found->second;
        std::vector<uint32_t> values;
        if (!ReadGltfIndices(doc, accessor, values)) {
            unreadable.insert(accessor);
            return nullptr;
        }
        return &indices.emplace(accessor, std::move(values)).first->second;
    }
};

// A map holding a position that is not a finite number is refused whole: the collision world, the
// spawns and the bounds would all carry it.
bool RefuseNonFinite(MapGeometry& map, const std::string& path, const std::string& nodeName) {
    std::fprintf(stderr, "[map] %s: node '%s' has a position that is not finite\n", path.c_str(), nodeName.c_str());
    map.Clear();
    return false;
}

}  // namespace

void MapGeometry::Clear() {
    triangles.clear();
    spawns.clear();
    lights.clear();
    bounds = Aabb{};
}

float MapGeometry::DistanceToFloor(const glm::vec3& p, float maxDistance) const {
    float best = maxDistance;
    bool found = false;
    for (const Triangle& tri : triangles) {
        const glm::vec3& a = tri.v[0];
        const glm::vec3& b = tri.v[1];
        const glm::vec3& c = tri.v[2];
        const float det = (a.z - c.z) * (b.x - a.x) + (c.x - a.x) * (b.z - a.z);
        if (std::fabs(det) < 1e-9f) continue;
        const float dx = p.x - a.x;
        const float dz = p.z - a.z;
        const float u = ((a.z - c.z) * dx + (c.x - a.x) * dz) / det;
        const float v = (dx * (b.z - a.z) - dz * (b.x - a.x)) / det;
        if (!(u >= 0.0f && u <= 1.0f && v >= 0.0f && u + v <= 1.0f)) continue;
        // Moller-Trumbore with the direction (0, -1, 0).
        const glm::vec3 e1{b.x - a.x, b.y - a.y, b.z - a.z};
        const glm::vec3 e2{c.x - a.x, c.y - a.y, c.z - a.z};
        const glm::vec3 pv{-e2.z, 0.0f, e2.x};
        const float mtDet = e1.x * pv.x + e1.y * pv.y + e1.z * pv.z;
        if (std::fabs(mtDet) < 1e-9f) continue;
        const glm::vec3 s{p.x - a.x, p.y - a.y, p.z - a.z};
        const glm::vec3 q{s.y * e1.z - s.z * e1.y, s.z * e1.x - s.x * e1.z, s.x * e1.y - s.y * e1.x};
        const float t = (e2.x * q.x + e2.y * q.y + e2.z * q.z) / mtDet;
        if (t >= 0.0f && t < best) {
            best = t;
            found = true;
        }
    }
    return found ? best : -1.0f;
}

const std::array<SpawnKind, 3>& GetSpawnKinds() {
    static const std::array<SpawnKind, 3> kinds = {{
        {"red_spawn", kTeamRed},
        {"blue_spawn", kTeamBlue},
        {"ffa_spawn", kTeamNone},
    }};
    return kinds;
}

const char* TeamName(uint8_t team) {
    if (team == kTeamRed) return "RED";
    if (team == kTeamBlue) return "BLUE";
    return "NONE";
}

uint8_t OpposingTeam(uint8_t team) {
    if (team == kTeamRed) return kTeamBlue;
    if (team == kTeamBlue) return kTeamRed;
    return kTeamNone;
}

void CollectTeamSpawns(const MapGeometry& map, uint8_t team, std::vector<const SpawnPoint*>& out) {
    out.clear();
    for (const SpawnPoint& spawn : map.spawns) {
        if (spawn.team == team) out.push_back(&spawn);
    }
}

float MapScale(const tune::Tuning& tuning) {
    const float reference = tuning.match.mapReferenceHeight;
    if (!(reference > 0.0f)) return tuning.match.mapScaleFactor;
    return tuning.movement.standingHeight / reference * tuning.match.mapScaleFactor;
}

std::string GetExtraString(const std::string& extras, const char* key) {
    json::Value storage;
    const json::Value& value = ExtraValue(extras, key, storage);
    return value.kind == json::Kind::String ? value.text : std::string();
}

float GetExtraFloat(const std::string& extras, const char* key, float fallback) {
    json::Value storage;
    return ExtraValue(extras, key, storage).AsNumber(fallback);
}

bool GetExtraBool(const std::string& extras, const char* key, bool fallback) {
    json::Value storage;
    return ExtraValue(extras, key, storage).AsBool(fallback);
}

glm::vec3 NodeWorldPosition(const GltfDocument& doc, int node) {
    if (node < 0 || size_t(node) >= doc.worldMatrices.size()) return {0.0f, 0.0f, 0.0f};
    const glm::mat4& m = doc.worldMatrices[size_t(node)];
    return {m[3][0], m[3][1], m[3][2]};
}

bool LoadMapGeometry(MapGeometry& map, const std::string& path, float scale) {
    map.Clear();
    GltfDocument doc;
    if (!LoadGltfDocument(doc, path, "[map]")) return false;
    return LoadMapGeometryFromDocument(map, doc, path, scale);
}

bool LoadMapGeometryFromDocument(MapGeometry& map, const GltfDocument& doc, const std::string& path, float scale) {
    map.Clear();
    if (!(scale > 0.0f)) scale = 1.0f;
    glm::vec3 lo{kFloatMax, kFloatMax, kFloatMax};
    glm::vec3 hi{-kFloatMax, -kFloatMax, -kFloatMax};
    std::vector<PendingSpawn> pending;
    MapAccessorReads reads{doc, {}, {}, {}};
    // One node's vertices, placed in the world and scaled, per position accessor of its mesh.
    std::unordered_map<int, std::vector<glm::vec3>> placed;
    const tinygltf::Model& model = doc.model;

    for (size_t n = 0; n < model.nodes.size(); ++n) {
        const tinygltf::Node& node = model.nodes[n];
        if (node.skin >= 0) continue;
        const std::string& extras = GltfNodeExtras(doc, int(n));
        bool spawn = false;
        uint8_t team = kTeamNone;
        const std::string lowerName = LowerAscii(node.name);
        for (const SpawnKind& kind : GetSpawnKinds()) {
            if (lowerName.rfind(kind.name, 0) == 0) {
                spawn = true;
                team = kind.team;
                break;
            }
        }
        if (GetExtraString(extras, "gameplay_type") == "spawn") spawn = true;
        if (spawn) {
            const std::string teamText = GetExtraString(extras, "team");
            if (teamText == "red") team = kTeamRed;
            if (teamText == "blue") team = kTeamBlue;
        }

        const bool hasMesh = node.mesh >= 0 && size_t(node.mesh) < model.meshes.size();
        if (!hasMesh) {
            if (!spawn) continue;
            const glm::vec3 p = NodeWorldPosition(doc, int(n));
            PendingSpawn marker;
            marker.spawn.position = {p.x * scale, p.y * scale, p.z * scale};
            if (!IsFinite(marker.spawn.position)) return RefuseNonFinite(map, path, node.name);
            marker.spawn.facing = GetExtraFloat(extras, "facing_degrees", kFacingUnset);
            marker.spawn.team = team;
            marker.probeHeight = marker.spawn.position.y;
            pending.push_back(marker);
            continue;
        }
        const glm::mat4& world = doc.worldMatrices[n];
        if (!GetExtraBool(extras, "collision", true)) continue;
        const tinygltf::Mesh& mesh = model.meshes[size_t(node.mesh)];

        if (spawn) {
            glm::vec3 markerLo{kFloatMax, kFloatMax, kFloatMax};
            glm::vec3 markerHi{-kFloatMax, -kFloatMax, -kFloatMax};
            bool any = false;
            for (const tinygltf::Primitive& primitive : mesh.primitives) {
                const std::vector<float>* read = reads.Positions(GltfFindAttribute(primitive, "POSITION"));
                if (!read) continue;
                const std::vector<float>& positions = *read;
                for (size_t i = 0; i + 2 < positions.size(); i += 3) {
                    const glm::vec3 p = TransformPoint(world, positions[i], positions[i + 1], positions[i + 2]);
                    if (!IsFinite(p)) return RefuseNonFinite(map, path, node.name);
                    markerLo = {std::fmin(markerLo.x, p.x), std::fmin(markerLo.y, p.y), std::fmin(markerLo.z, p.z)};
                    markerHi = {std::fmax(markerHi.x, p.x), std::fmax(markerHi.y, p.y), std::fmax(markerHi.z, p.z)};
                    any = true;
                }
            }
            if (!any) continue;
            PendingSpawn marker;
            marker.spawn.position = {(markerLo.x + markerHi.x) / 2.0f * scale, markerLo.y * scale,
                                     (markerLo.z + markerHi.z) / 2.0f * scale};
            if (!IsFinite(marker.spawn.position)) return RefuseNonFinite(map, path, node.name);
            marker.spawn.facing = kFacingUnset;
            marker.spawn.team = team;
            marker.probeHeight = markerHi.y * scale;
            if (!std::isfinite(marker.probeHeight)) return RefuseNonFinite(map, path, node.name);
            pending.push_back(marker);
            continue;
        }

        placed.clear();
        for (const tinygltf::Primitive& primitive : mesh.primitives) {
            if (GltfPrimitiveMode(primitive) != TINYGLTF_MODE_TRIANGLES) continue;
            const int positionAccessor = GltfFindAttribute(primitive, "POSITION");
            const std::vector<float>* positions = reads.Positions(positionAccessor);
            if (!positions) continue;
            const bool indexed = primitive.indices >= 0;
            const std::vector<uint32_t>* indices = indexed ? reads.Indices(primitive.indices) : nullptr;
            if (indexed && !indices) continue;
            const size_t vertexCount = positions->size() / 3;
            auto placedHere = placed.find(positionAccessor);
            if (placedHere == placed.end()) {
                std::vector<glm::vec3> vertices(vertexCount);
                for (size_t v = 0; v < vertexCount; ++v) {
                    const float* q = positions->data() + 3 * v;
                    const glm::vec3 p = TransformPoint(world, q[0], q[1], q[2]);
                    vertices[v] = {p.x * scale, p.y * scale, p.z * scale};
                    if (!IsFinite(vertices[v])) return RefuseNonFinite(map, path, node.name);
                    lo = {std::fmin(lo.x, vertices[v].x), std::fmin(lo.y, vertices[v].y), std::fmin(lo.z, vertices[v].z)};
                    hi = {std::fmax(hi.x, vertices[v].x), std::fmax(hi.y, vertices[v].y), std::fmax(hi.z, vertices[v].z)};
                }
                placedHere = placed.emplace(positionAccessor, std::move(vertices)).first;
            }
            const std::vector<glm::vec3>& vertices = placedHere->second;
            const size_t count = indexed ? indices->size() : vertexCount;
            auto vertexAt = [&](size_t i) -> glm::vec3 {
                const size_t index = indexed ? size_t((*indices)[i]) : i;
                return index < vertexCount ? vertices[index] : glm::vec3(0.0f, 0.0f, 0.0f);
            };
            for (size_t i = 0; i + 2 < count; i += 3) {
                const glm::vec3 a = vertexAt(i);
                const glm::vec3 b = vertexAt(i + 1);
                const glm::vec3 c = vertexAt(i + 2);
                const glm::vec3 ab{b.x - a.x, b.y - a.y, b.z - a.z};
                const glm::vec3 ac{c.x - a.x, c.y - a.y, c.z - a.z};
                const glm::vec3 n{ab.y * ac.z - ab.z * ac.y, ab.z * ac.x - ab.x * ac.z, ab.x * ac.y - ab.y * ac.x};
                if (n.x * n.x + n.y * n.y + n.z * n.z < 1e-12f) continue;
                map.triangles.push_back(Triangle{{a, b, c}});
            }
        }
    }

    for (const PendingSpawn& marker : pending) map.spawns.push_back(marker.spawn);
    if (!path.empty()) LoadGameplayJson(path, scale, map.lights);

    if (map.triangles.empty()) {
        std::fprintf(stderr, "[map] %s has no solid geometry\n", path.c_str());
        return false;
    }
    map.bounds = Aabb{lo, hi};

    for (const PendingSpawn& marker : pending) {
        const SpawnPoint& s = marker.spawn;
        const glm::vec3& p = s.position;
        if (p.x < lo.x || p.x > hi.x || p.z < lo.z || p.z > hi.z) {
            std::fprintf(stderr,
                         "[map] %s spawn at %.1f %.1f %.1f is OUTSIDE the level (x %.1f..%.1f, z %.1f..%.1f) -- the "
                         "marker has not moved with it\n",
                         TeamName(s.team), double(p.x), double(p.y), double(p.z), double(lo.x), double(hi.x),
                         double(lo.z), double(hi.z));
            continue;
        }
        const float top = (hi.y > marker.probeHeight ? hi.y : marker.probeHeight) + 1.0f;
        if (map.DistanceToFloor({p.x, top, p.z}, hi.y - lo.y + 100.0f) < 0.0f) {
            std::fprintf(stderr, "[map] %s spawn at %.1f %.1f %.1f has no floor beneath it\n", TeamName(s.team),
                         double(p.x), double(p.y), double(p.z));
        }
    }

    // Unset facings: each team looks toward the other team's spawns, free-for-all spawns toward the
    // middle of the level; a spawn standing on the point it would look at keeps 0.
    for (uint8_t team : {kTeamRed, kTeamBlue}) {
        const uint8_t other = OpposingTeam(team);
        float sumX = 0.0f, sumZ = 0.0f;
        int count = 0;
        for (const SpawnPoint& s : map.spawns) {
            if (s.team != other) continue;
            sumX += s.position.x;
            sumZ += s.position.z;
            ++count;
        }
        if (count == 0) continue;
        const float cx = sumX / float(count);
        const float cz = sumZ / float(count);
        for (SpawnPoint& s : map.spawns) {
            if (s.team != team || s.facing != kFacingUnset) continue;
            const float dx = s.position.x - cx;
            const float dz = s.position.z - cz;
            if (dx * dx + dz * dz < 1e-6f) continue;
            s.facing = DetAtan2(dx, dz) * 57.29578f;
        }
    }
    const float middleX = (lo.x + hi.x) / 2.0f;
    const float middleZ = (lo.z + hi.z) / 2.0f;
    for (SpawnPoint& s : map.spawns) {
        if (s.team != kTeamNone || s.facing != kFacingUnset) continue;
        const float dx = s.position.x - middleX;
        const float dz = s.position.z - middleZ;
        if (dx * dx + dz * dz < 1e-6f) continue;
        s.facing = DetAtan2(dx, dz) * 57.29578f;
    }
    for (SpawnPoint& s : map.spawns) {
        if (s.facing == kFacingUnset) s.facing = 0.0f;
    }

    size_t red = 0, blue = 0, free = 0;
    for (const SpawnPoint& s : map.spawns) {
        if (s.team == kTeamRed) {
            ++red;
        } else if (s.team == kTeamBlue) {
            ++blue;
        } else {
            ++free;
        }
    }
    std::printf("[map] spawns: %zu red, %zu blue, %zu free-for-all\n", red, blue, free);
    std::printf("[map] %s: %zu triangles, %zu spawns, %zu lights, bounds %.1f x %.1f x %.1f m\n", path.c_str(),
                map.triangles.size(), map.spawns.size(), map.lights.size(), double(hi.x - lo.x), double(hi.y - lo.y),
                double(hi.z - lo.z));
    for (const SpawnPoint& s : map.spawns) {
        std::printf("[map]   %-4s spawn at %.1f %.1f %.1f facing %.0f deg\n", TeamName(s.team), double(s.position.x),
                    double(s.position.y), double(s.position.z), double(s.facing));
    }
    return true;
}
