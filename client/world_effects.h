#pragma once
// The world's effects that follow things in motion, spawned once a frame after the weapons pass
// and before the effects are aged: the own character's footsteps, the thrown grenades (the model
// spinning along its flight and a spark trail behind it) and the embers of burning characters.
#include <glm/mat4x4.hpp>

struct CharacterFrame;
struct MatchFrame;
struct Projectile;
struct WorldObjects;
namespace render {
struct Renderer;
}

// The grenade model's matrix in flight: at the projectile, tumbling end over end about the axis
// across its flight by the spin rate (degrees per second) times its age.
glm::mat4 GrenadeFlightMatrix(const Projectile& projectile, float spinRate);

// After the weapons pass, before the beams and Effects::Update.
void SpawnWorldEffects(WorldObjects& objects, const MatchFrame& frame, const CharacterFrame& characters,
                       render::Renderer& renderer);
