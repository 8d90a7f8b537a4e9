#pragma once
// The weapons pass: what every character holds and wears, the shields and the sentries, drawn as
// rigid models after the characters; and the hum of the own continuous-fire weapon. What each
// character shows follows fixed rules (a grenade in the hand replaces the weapon, an invisible
// character's things pulse with it, an accessory whose model or bone is missing is left out).
#include <glm/mat4x4.hpp>
#include <glm/vec3.hpp>

#include "client/character_instances.h"
#include "client/held_items.h"

// M x J x the row's grip matrix. The table's grip offset (in the hand bone's space) and grip
// scale are part of that grip matrix already, so nothing is scaled or moved after it.
glm::mat4 HeldWeaponMatrix(const glm::mat4& model, const glm::mat4& handJoint, int row, const WorldModels& models);
// M x J, scaled by the grenade grip scale (unless exactly 1) and moved by its grip offset.
glm::mat4 GrenadeHandMatrix(const glm::mat4& model, const glm::mat4& handJoint, const tune::GrenadeTuning& grenade);

// The grenade is in the own hand: its hold timer or its throw timer runs.
bool OwnGrenadeInHand(const PlayerState& state);
// The own grenade model shows: held, or thrown less than the hand time ago.
bool OwnGrenadeShown(const PlayerState& state, const tune::Tuning& tuning);
// A remote grenade shows: held, or thrown with the slot's throw time in [0, hand time).
bool RemoteGrenadeShown(const RemoteCharacterView& view, float throwTime, const tune::GrenadeTuning& grenade);

// What the loadout preview wears: the worn ids with the hovered catalogue entry toggled, so that
// hovering an item shows it worn, and hovering a worn one shows it taken off.
WornAccessories PreviewAccessories(const WornAccessories& worn, int hovered, const AccessoryCatalogue& catalogue);

// Appends the worn accessories hung from the joints of `joints`: nothing at opacity 0 or with no
// ids; an id past the catalogue, a model that did not load or a bone the rig lacks is skipped.
void DrawAccessories(std::vector<StaticDraw>& draws, const AccessoryModels& accessories, const WornAccessories& ids,
                     const glm::mat4& model, const anim::Animator& joints, float opacity);

// Lists the pass's models in drawing order into `presentation.draws`: on the loadout screen the
// preview's weapon and accessories; in a match the own weapon and accessories, shields, sentries,
// the own grenade, then each remote character's grenade, weapon and accessories.
void CollectWeaponsPass(CharacterPresentation& presentation, const CharacterFrame& characters,
                        const MatchFrame& frame, const CharacterAssets& assets);

// The own continuous-fire weapon's loop while it fires (emitter key 0); it stops by itself in a
// frame that does not refresh it.
void UpdateOwnHum(const CharacterFrame& characters, const MatchFrame& frame, const CharacterAssets& assets);

// Each frame in the "weapons" phase, after the characters: the collected models drawn, then the
// own hum. On the loadout screen, the preview's weapon and accessories.
void DrawWeaponsPass(CharacterPresentation& presentation, const CharacterFrame& characters, const MatchFrame& frame,
                     const CharacterAssets& assets, render::Renderer& renderer);
