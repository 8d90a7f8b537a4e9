#include "client/weapons_pass.h"

#include <algorithm>

#include "client/audio_system.h"
#include "client/character_drawing.h"
#include "client/game_session.h"
#include "client/startup_sounds.h"
#include "game/shield.h"
#include "render/renderer.h"

namespace {

StaticDraw Draw(const render::StaticModel& model, const glm::mat4& matrix, float opacity)
{
    StaticDraw draw;
    draw.model = &model;
    draw.matrix = matrix;
    draw.opacity = opacity;
    return draw;
}

// A weapon draw in the row's tint, which is a base colour only when its fourth value is above 0.
StaticDraw WeaponDraw(const WorldModels& models, const tune::Tuning& tuning, int row, const glm::mat4& matrix,
                      float opacity)
{
    StaticDraw draw = Draw(models.weapons[static_cast<size_t>(row)].model, matrix, opacity);
    const float* tint = tuning.Weapon(row).tint;
    if (tint[3] > 0.0f) {
        draw.coloured = true;
        draw.colour = glm::vec4(tint[0], tint[1], tint[2], tint[3]);
    }
    return draw;
}

int ClampedRow(int row)
{
    return std::clamp(row, 0, tune::Tuning::kWeaponCount - 1);
}

}  // namespace

glm::mat4 HeldWeaponMatrix(const glm::mat4& model, const glm::mat4& handJoint, int row, const WorldModels& models)
{
    const WeaponModelRecord& record = models.weapons[static_cast<size_t>(ClampedRow(row))];
    return PlaceInHand(model, handJoint, record.grip, 1.0f, glm::vec3(0.0f));
}

glm::mat4 GrenadeHandMatrix(const glm::mat4& model, const glm::mat4& handJoint, const tune::GrenadeTuning& grenade)
{
    const glm::vec3 offset(grenade.gripOffset[0], grenade.gripOffset[1], grenade.gripOffset[2]);
    return PlaceInHand(model, handJoint, glm::mat4(1.0f), grenade.gripScale, offset);
}

bool OwnGrenadeInHand(const PlayerState& state)
{
    return state.cookTicks != 0 || state.throwTicks != 0;
}

bool OwnGrenadeShown(const PlayerState& state, const tune::Tuning& tuning)
{
    if (state.cookTicks > 0) {
        return true;
    }
    const float step = 1.0f / static_cast<float>(std::max(tuning.loop.tickRate, 1));
    return state.throwTicks != 0 && static_cast<float>(state.throwTicks - 1) * step < tuning.grenade.releaseTime;
}

bool RemoteGrenadeShown(const RemoteCharacterView& view, float throwTime, const tune::GrenadeTuning& grenade)
{
    return view.grenadeHeld || (view.grenadeThrown && throwTime >= 0.0f && throwTime < grenade.releaseTime);
}

WornAccessories PreviewAccessories(const WornAccessories& worn, int hovered, const AccessoryCatalogue& catalogue)
{
    WornAccessories ids = worn;
    if (hovered >= 0 && static_cast<size_t>(hovered) < catalogue.size()) {
        ToggleWornAccessory(ids, catalogue[static_cast<size_t>(hovered)].slot, AccessoryIdOf(hovered), 0);
    }
    return ids;
}

void DrawAccessories(std::vector<StaticDraw>& draws, const AccessoryModels& accessories, const WornAccessories& ids,
                     const glm::mat4& model, const anim::Animator& joints, float opacity)
{
    if (!(opacity > 0.0f) || NoAccessories(ids)) {
        return;
    }
    for (const uint8_t id : ids) {
        if (id == 0 || static_cast<size_t>(id - 1) >= accessories.records.size()) {
            continue;
        }
        const AccessoryModelRecord& record = accessories.records[static_cast<size_t>(id - 1)];
        if (!record.loaded || record.joint < 0) {
            continue;
        }
        draws.push_back(Draw(record.model, model * joints.JointMatrix(record.joint) * record.attachment, opacity));
    }
}

void CollectWeaponsPass(CharacterPresentation& presentation, const CharacterFrame& characters,
                        const MatchFrame& frame, const CharacterAssets& assets)
{
    std::vector<StaticDraw>& draws = presentation.draws;
    draws.clear();
    const tune::Tuning& tuning = *frame.tuning;
    const WorldModels& models = *assets.models;
    const OwnCharacterView& own = characters.own;
    const anim::Animator* ownAnimator = presentation.ownAnimator;
    const bool handExists = assets.handJoint >= 0;

    if (frame.screen == 2) {
        if (!own.shown || ownAnimator == nullptr) {
            return;
        }
        if (own.weaponPlaced) {
            draws.push_back(WeaponDraw(models, tuning, ClampedRow(frame.loadoutPrimary), own.weapon, 1.0f));
        }
        if (assets.accessories != nullptr) {
            const WornAccessories ids =
                PreviewAccessories(frame.loadoutAccessories, frame.previewAccessory, assets.accessories->catalogue);
            DrawAccessories(draws, *assets.accessories, ids, own.model, *ownAnimator, 1.0f);
        }
        return;
    }

    const PlayerState& state = frame.display;
    const bool ownInMatch = frame.playing && own.shown && own.alive && ownAnimator != nullptr;
    if (ownInMatch) {
        if (own.weaponPlaced) {
            draws.push_back(WeaponDraw(models, tuning, StateWeaponRow(state), own.weapon, own.opacity));
        }
        if (assets.accessories != nullptr) {
            const WornAccessories ids = frame.joined && frame.game != nullptr
                                            ? PlayerAccessories(*frame.game, frame.ownId)
                                            : WornAccessories(frame.loadoutAccessories);
            DrawAccessories(draws, *assets.accessories, ids, own.model, *ownAnimator, own.opacity);
        }
    }

    if (frame.joined && frame.game != nullptr) {
        if (models.shieldLoaded) {
            for (const net::ShieldStateEntry& entry : frame.game->shields) {
                if (entry.hitPoints <= 0) {
                    continue;
                }
                Shield shield;
                shield.position = entry.position;
                shield.yaw = entry.yaw;
                draws.push_back(Draw(models.shield, ShieldModelMatrix(shield, tuning.shield), 1.0f));
                draws.back().outline = false;
            }
        }
        if (models.sentryLoaded) {
            for (const net::SentryStateEntry& entry : frame.game->sentries) {
                const SentryParts parts = SentryPartMatrices(entry.position, entry.baseYaw, entry.yaw, entry.pitch,
                                                             tuning.sentry.modelScale);
                draws.push_back(Draw(models.sentryBase, parts.base, 1.0f));
                draws.push_back(Draw(models.sentryMount, parts.yawMount, 1.0f));
                draws.push_back(Draw(models.sentryHead, parts.head, 1.0f));
            }
        }
    }

    const bool grenadeReady = models.grenadeLoaded && handExists;
    if (ownInMatch && grenadeReady && OwnGrenadeShown(state, tuning)) {
        const glm::mat4 hand = ownAnimator->JointMatrix(assets.handJoint);
        draws.push_back(Draw(models.grenade, GrenadeHandMatrix(own.model, hand, tuning.grenade), own.opacity));
    }

    for (const RemoteCharacterView& view : characters.remotes) {
        if (!grenadeReady || !RemoteGrenadeShown(view, characters.throwTimes[view.id], tuning.grenade)) {
            continue;
        }
        const float opacity = RemoteCharacterOpacity(view, frame.now, tuning);
        if (!(opacity > 0.0f)) {
            continue;
        }
        const glm::mat4 hand = characters.slotAnimators[view.id].JointMatrix(assets.handJoint);
        draws.push_back(Draw(models.grenade, GrenadeHandMatrix(view.model, hand, tuning.grenade), opacity));
    }
    for (const RemoteCharacterView& view : characters.remotes) {
        if (!view.inView || view.weaponRow <= 0 || view.grenadeHeld || view.grenadeThrown || !view.weaponPlaced ||
            !models.weapons[static_cast<size_t>(ClampedRow(view.weaponRow))].loaded) {
            continue;
        }
        const float opacity = RemoteCharacterOpacity(view, frame.now, tuning);
        if (opacity > 0.0f) {
            draws.push_back(WeaponDraw(models, tuning, ClampedRow(view.weaponRow), view.weapon, opacity));
        }
    }
    if (assets.accessories != nullptr) {
        for (const RemoteCharacterView& view : characters.remotes) {
            if (!view.inView || NoAccessories(view.accessories)) {
                continue;
            }
            DrawAccessories(draws, *assets.accessories, view.accessories, view.model,
                            characters.slotAnimators[view.id], RemoteCharacterOpacity(view, frame.now, tuning));
        }
    }
}

void UpdateOwnHum(const CharacterFrame& characters, const MatchFrame& frame, const CharacterAssets& assets)
{
    if (!frame.playing || frame.audio == nullptr || !characters.own.shown || !characters.own.alive) {
        return;
    }
    const PlayerState& state = frame.display;
    const int row = StateWeaponRow(state);
    const tune::WeaponTuning& weapon = frame.tuning->Weapon(row);
    if (OwnGrenadeInHand(state) || weapon.continuousFireSound == 0 || state.fireHeld == 0 || state.ammo == 0 ||
        state.reloadTicks != 0) {
        return;
    }
    int32_t sound = assets.models != nullptr ? assets.models->weapons[static_cast<size_t>(row)].fireSound : -1;
    if (sound < 0 && frame.sounds != nullptr) {
        sound = frame.sounds->weaponFire[row];
    }
    if (sound < 0) {
        return;
    }
    // Without a weapon in the hand there is no muzzle; the loop then sits at the player.
    const glm::vec3 at = characters.own.weaponPlaced ? characters.own.muzzle : state.position;
    const tune::SoundTuning& sounds = frame.tuning->sound;
    frame.audio->UpdateEmitter(sound, 0, at, sounds.fireSoundNear, sounds.fireSoundFar, weapon.fireVolume,
                               weapon.firePitch);
}

void DrawWeaponsPass(CharacterPresentation& presentation, const CharacterFrame& characters, const MatchFrame& frame,
                     const CharacterAssets& assets, render::Renderer& renderer)
{
    CollectWeaponsPass(presentation, characters, frame, assets);
    for (const StaticDraw& draw : presentation.draws) {
        renderer.DrawStatic(*draw.model, draw.matrix, frame.viewProj, frame.lighting,
                            draw.coloured ? &draw.colour : nullptr, draw.outline, draw.opacity);
    }
    UpdateOwnHum(characters, frame, assets);
}
