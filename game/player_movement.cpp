#include "game/player_movement.h"

#include <algorithm>
#include <cmath>

#include "game/angles.h"
#include "game/deterministic_math.h"
#include "game/progression.h"
#include "game/shot_geometry.h"
#include "game/ticks.h"

namespace {

constexpr int kMaxSlideHits = 6;

float Dot(const glm::vec3& a, const glm::vec3& b) { return a.x * b.x + a.y * b.y + a.z * b.z; }

float HorizontalLength(const glm::vec3& v) { return std::sqrt(v.x * v.x + v.z * v.z); }

uint16_t SaturateU16(int64_t value) { return static_cast<uint16_t>(std::clamp<int64_t>(value, 0, 65535)); }

// Counters that fire once per shot, from a normal trigger or from a burst.
void FireOneShot(PlayerState& state, const tune::WeaponTuning& row, uint16_t fullCharge) {
  state.ammo -= 1;
  state.shotsFired += 1;
  if (row.scoped != 0 && fullCharge > 0) {
    state.shotCharge = static_cast<uint8_t>((uint32_t{state.chargeTicks} * 255u + fullCharge / 2u) / fullCharge);
  } else {
    state.shotCharge = 255;
  }
  state.chargeTicks = 0;
  state.powerActive = 0;  // a shot ends invisibility
}

}  // namespace

void Accelerate(glm::vec3& velocity, const glm::vec3& wishDir, float wishSpeed, float accel, float dt) {
  const float current = Dot(velocity, wishDir);
  const float add = wishSpeed - current;
  if (!(add > 0.0f)) return;
  const float amount = std::min(accel * dt, add);
  velocity.x = velocity.x + amount * wishDir.x;
  velocity.y = velocity.y + amount * wishDir.y;
  velocity.z = velocity.z + amount * wishDir.z;
}

void ApplyFriction(glm::vec3& velocity, const tune::MovementTuning& settings, float dt) {
  const float speed = HorizontalLength(velocity);
  if (speed < 0.001f) {
    velocity.x = 0.0f;
    velocity.z = 0.0f;
    return;
  }
  const float drop = std::max(settings.stopSpeed, speed) * settings.friction * dt;
  const float scale = std::max(speed - drop, 0.0f) / speed;
  velocity.x *= scale;
  velocity.z *= scale;
}

bool IsWalkable(const SweepHit& hit, const tune::MovementTuning& settings) {
  return hit.hit && hit.normal.y >= ViewCos(settings.maxWalkableSlope * kDegToRad);
}

SweepHit SweepBody(const CollisionWorld& world, glm::vec3& position, const glm::vec3& motion, float radius,
                   float height) {
  SweepHit hit = world.SweepShape(MakeBodyBox(position, radius, height), motion);
  float fraction = 1.0f;
  if (hit.hit) {
    fraction = hit.fraction;
    const float into = Dot(hit.normal, motion);
    if (into < -0.00000001f) {
      fraction = std::max(fraction - 0.001f / std::fabs(into), 0.0f);
      hit.fraction = fraction;
    }
  }
  position.x = position.x + motion.x * fraction;
  position.y = position.y + motion.y * fraction;
  position.z = position.z + motion.z * fraction;
  return hit;
}

bool ProbeGround(const CollisionWorld& world, const PlayerState& state, const tune::MovementTuning& settings,
                 float height) {
  glm::vec3 probe = state.position;
  const float distance = std::max(settings.groundProbeDistance, 0.02f);
  return IsWalkable(SweepBody(world, probe, glm::vec3(0.0f, -distance, 0.0f), settings.bodyRadius, height),
                    settings);
}

glm::vec3 ClipVelocity(const glm::vec3& velocity, const glm::vec3* planes, int count) {
  const glm::vec3& v = velocity;
  bool inside = true;
  for (int i = 0; i < count; ++i) {
    if (Dot(v, planes[i]) < -0.000001f) {
      inside = false;
      break;
    }
  }
  if (inside) return v;

  auto satisfiesAll = [&](const glm::vec3& candidate) {
    for (int i = 0; i < count; ++i) {
      if (Dot(candidate, planes[i]) < -0.000001f) return false;
    }
    return true;
  };
  auto distanceSquared = [&](const glm::vec3& candidate) {
    const glm::vec3 d = candidate - v;
    return d.x * d.x + d.y * d.y + d.z * d.z;
  };
  auto consider = [&](const glm::vec3& candidate, glm::vec3& best, float& bestDistance) {
    if (!satisfiesAll(candidate)) return;
    const float d = distanceSquared(candidate);
    if (d < bestDistance) {
      best = candidate;
      bestDistance = d;
    }
  };

  glm::vec3 best(0.0f);
  float bestDistance = v.x * v.x + v.y * v.y + v.z * v.z;
  for (int i = 0; i < count; ++i) {
    const glm::vec3& n = planes[i];
    const float vn = Dot(v, n);
    consider(glm::vec3(v.x - vn * n.x, v.y - vn * n.y, v.z - vn * n.z), best, bestDistance);
    for (int j = 0; j < i; ++j) {
      const glm::vec3& m = planes[j];
      // The crease of two planes; its sign does not matter, the projection is the same.
      const glm::vec3 c(m.y * n.z - m.z * n.y, m.z * n.x - m.x * n.z, m.x * n.y - m.y * n.x);
      const float cc = c.x * c.x + c.y * c.y + c.z * c.z;
      if (!(cc > 0.00000001f)) continue;
      const float cv = Dot(c, v);
      consider(glm::vec3((c.x * cv) / cc, (c.y * cv) / cc, (c.z * cv) / cc), best, bestDistance);
    }
  }
  return best;
}

MoveResult SlideMove(const CollisionWorld& world, glm::vec3& position, const glm::vec3& motion,
                     const glm::vec3& velocity, const tune::MovementTuning& settings, float height) {
  MoveResult result;
  result.velocity = velocity;
  glm::vec3 remaining = motion;
  glm::vec3 walls[kMaxSlideHits];
  int wallCount = 0;
  glm::vec3 motionPlanes[kMaxSlideHits];
  int motionCount = 0;
  for (int i = 0; i < kMaxSlideHits; ++i) {
    if (Dot(remaining, remaining) <= 0.000000000001f) break;
    const SweepHit hit = SweepBody(world, position, remaining, settings.bodyRadius, height);
    if (!hit.hit) break;
    result.hit = hit;
    const float left = 1.0f - hit.fraction;
    remaining = glm::vec3(remaining.x * left, remaining.y * left, remaining.z * left);
    glm::vec3 n = hit.normal;
    if (!IsWalkable(hit, settings)) {
      // Walls push only sideways, so a steep slope cannot launch the body upward.
      const float flat = std::sqrt(n.x * n.x + n.z * n.z);
      if (flat > 0.00001f) n = glm::vec3(n.x / flat, 0.0f, n.z / flat);
      walls[wallCount++] = n;
      result.velocity = ClipVelocity(velocity, walls, wallCount);
    }
    motionPlanes[motionCount++] = n;
    remaining = ClipVelocity(remaining, motionPlanes, motionCount);
  }
  return result;
}

MoveResult StepMove(const CollisionWorld& world, glm::vec3& position, const glm::vec3& motion,
                    const glm::vec3& velocity, const tune::MovementTuning& settings, float height,
                    bool allowStep) {
  const glm::vec3 start = position;
  MoveResult result = SlideMove(world, position, motion, velocity, settings, height);
  if (!result.hit.hit || !allowStep || !(settings.stepHeight > 0.0f)) return result;

  glm::vec3 lifted = start;
  SweepBody(world, lifted, glm::vec3(0.0f, settings.stepHeight, 0.0f), settings.bodyRadius, height);
  const float rise = lifted.y - start.y;
  if (rise <= 0.001f) return result;
  const MoveResult stepped = SlideMove(world, lifted, motion, velocity, settings, height);
  const SweepHit down = SweepBody(world, lifted, glm::vec3(0.0f, -rise, 0.0f), settings.bodyRadius, height);

  const float steppedX = lifted.x - start.x;
  const float steppedZ = lifted.z - start.z;
  const float slidX = position.x - start.x;
  const float slidZ = position.z - start.z;
  const float steppedDistance = steppedX * steppedX + steppedZ * steppedZ;
  const float slidDistance = slidX * slidX + slidZ * slidZ;
  if (IsWalkable(down, settings) && lifted.y <= start.y + settings.stepHeight + 0.001f &&
      !BodyOverlaps(world, lifted, settings.bodyRadius, height) && steppedDistance > slidDistance + 0.00000001f) {
    position = lifted;
    return stepped;
  }
  return result;
}

bool BodyOverlaps(const CollisionWorld& world, const glm::vec3& position, float radius, float height) {
  return world.OverlapsBox(MakeBodyBox(position, radius, height));
}

void MovePlayer(PlayerState& state, const InputCommand& cmd, float dt, const tune::Tuning& tuning,
                const CollisionWorld& world) {
  const tune::MovementTuning& settings = tuning.movement;
  const uint8_t buttons = cmd.buttons;
  glm::vec3& velocity = state.velocity;

  // Step 1: view.
  state.yaw = CommandYawDegrees(cmd);
  state.pitch = CommandPitchDegrees(cmd);
  UpdateAimView(state, cmd, dt, tuning);

  // Step 2: frozen while waiting to respawn, and dead.
  if (state.respawnTicks != 0 || state.health == 0) {
    velocity = glm::vec3(0.0f);
    state.onGround = 1;
    state.fireHeld = 0;
    state.lastCommandTick = cmd.tick;
    return;
  }

  const uint8_t heldRow = StateWeaponRow(state);
  const tune::WeaponTuning& heldWeapon = tuning.Weapon(heldRow);
  const tune::ArmorTuning& armor = tuning.Armor(state.armor);

  // Step 3: crouch height; no standing up into a ceiling.
  const bool crouching = (buttons & kButtonCrouch) != 0 && state.onGround != 0;
  state.crouching = crouching ? 1 : 0;
  const float targetHeight = crouching ? settings.crouchHeight : settings.standingHeight;
  if (!(targetHeight > state.height && BodyOverlaps(world, state.position, settings.bodyRadius, targetHeight))) {
    state.height += (targetHeight - state.height) * std::min(dt * settings.crouchEaseRate, 1.0f);
  }

  // Step 4: wish velocity.
  const float yawRadians = state.yaw * kDegToRad;
  const float sinYaw = ViewSin(yawRadians);
  const float cosYaw = ViewCos(yawRadians);
  float forward = static_cast<float>(cmd.forward);
  float side = static_cast<float>(cmd.side);
  float baseSpeed = settings.walkSpeed;
  if (crouching) {
    baseSpeed = settings.crouchSpeed;
  } else if ((buttons & kButtonSprint) != 0 && forward > 0.0f) {
    baseSpeed = settings.sprintSpeed;
  }
  float speed = StatMultiplier(state.upgradeLevels[kTrackSpeed]) * heldWeapon.moveSpeedFactor * baseSpeed *
                armor.speedFactor * static_cast<float>(state.speedPercent) * 0.01f;
  if (heldWeapon.scoped != 0 && (buttons & kButtonSecondary) != 0) speed *= heldWeapon.scopedMoveSpeedFactor;
  if (forward / 127.0f < 0.0f) forward *= settings.backwardFactor;
  side *= settings.strafeFactor;
  const glm::vec3 wish((side * cosYaw - forward * sinYaw) / 127.0f, 0.0f,
                       -(forward * cosYaw + side * sinYaw) / 127.0f);
  const float wishLength = std::sqrt(wish.x * wish.x + wish.y * wish.y + wish.z * wish.z);
  glm::vec3 wishDir(0.0f);
  float wishSpeed = 0.0f;
  if (wishLength > 0.00001f) {
    wishDir = glm::vec3(wish.x / wishLength, wish.y / wishLength, wish.z / wishLength);
    wishSpeed = std::min(wishLength, 1.0f) * speed;
  }

  // Step 5: jump buffer.
  const bool jumpDown = (buttons & kButtonJump) != 0;
  if (jumpDown && (state.jumpHeld == 0 || settings.holdToRejump != 0)) {
    state.jumpBuffer = TicksFromSeconds(settings.jumpBufferTime, dt);
  }
  state.jumpHeld = jumpDown ? 1 : 0;

  // Step 6: ground check.
  const bool grounded = ProbeGround(world, state, settings, state.height) && velocity.y <= 0.01f;
  if (!grounded) {
    state.onGround = 0;
    if (state.airTicks < 65535) state.airTicks += 1;
  } else {
    state.onGround = 1;
    state.airTicks = 0;
  }
  const float startSpeed = HorizontalLength(velocity);

  // Step 7: friction and acceleration.
  if (state.onGround != 0) {
    ApplyFriction(velocity, settings, dt);
    Accelerate(velocity, wishDir, wishSpeed, settings.groundAcceleration, dt);
  } else {
    Accelerate(velocity, wishDir, std::min(wishSpeed, settings.airWishSpeedCap), settings.airAcceleration, dt);
  }

  // Step 8: jump and gravity.
  bool gravity = true;
  if (state.jumpBuffer == 0) {
    if (state.onGround != 0) {
      if (velocity.y < 0.0f) velocity.y = 0.0f;
      gravity = false;
    }
  } else if (state.onGround == 0 && state.airTicks > TicksFromSeconds(settings.coyoteTime, dt)) {
    state.jumpBuffer -= 1;
  } else {
    velocity.y = settings.jumpSpeed;
    state.onGround = 0;
    state.airTicks = 65535;
    state.jumpBuffer = 0;
  }
  if (gravity) {
    velocity.y -= dt * settings.gravity;
    velocity.y = std::max(velocity.y, -settings.terminalFallSpeed);
  }

  // Step 9: horizontal move, climbing steps only from the ground.
  const glm::vec3 motion(velocity.x * dt, velocity.y * dt, velocity.z * dt);
  const MoveResult moved = StepMove(world, state.position, motion, velocity, settings, state.height,
                                    state.onGround != 0);
  velocity.x = moved.velocity.x;
  velocity.z = moved.velocity.z;
  if (state.onGround != 0) {
    // Sliding along a wall or stepping must not make the body faster than it was or wants to be.
    const float limit = std::max(startSpeed, wishSpeed);
    const float horizontal = HorizontalLength(velocity);
    if (horizontal > limit && horizontal > 0.0001f) {
      const float k = limit / horizontal;
      velocity.x *= k;
      velocity.z *= k;
    }
  }

  // Step 10: vertical sweep.
  const float dy = velocity.y * dt;
  const SweepHit vertical =
      SweepBody(world, state.position, glm::vec3(0.0f, dy, 0.0f), settings.bodyRadius, state.height);
  state.onGround = 0;
  if (vertical.hit) {
    const glm::vec3 n = vertical.normal;
    if (dy > 0.0f || !IsWalkable(vertical, settings)) {
      if (n.y < 0.0f) {
        velocity.y = 0.0f;  // a ceiling
      } else {
        const float rest = (1.0f - vertical.fraction) * dy;
        const float p = rest * n.y;
        SweepBody(world, state.position, glm::vec3(-p * n.x, rest - p * n.y, -p * n.z), settings.bodyRadius,
                  state.height);
        const float k = std::min(Dot(velocity, n), 0.0f);
        velocity.x = velocity.x - k * n.x;
        velocity.y = velocity.y - k * n.y;
        velocity.z = velocity.z - k * n.z;
      }
    } else {
      velocity.y = 0.0f;
      state.onGround = 1;
    }
  }

  // Step 11: ground snap, so walking down a slope or a step does not leave the ground.
  if (grounded && velocity.y <= 0.01f && settings.groundSnapDistance > 0.0f) {
    glm::vec3 snapped = state.position;
    const SweepHit hit = SweepBody(world, snapped, glm::vec3(0.0f, -settings.groundSnapDistance, 0.0f),
                                   settings.bodyRadius, state.height);
    if (IsWalkable(hit, settings)) {
      state.position = snapped;
      state.onGround = 1;
      velocity.y = 0.0f;
    }
  }

  // Step 12: ground flag.
  if (state.onGround == 0 && velocity.y <= 0.01f) {
    state.onGround = ProbeGround(world, state, settings, state.height) ? 1 : 0;
  }
  if (state.onGround != 0) state.airTicks = 0;

  // Step 13: weapon switch; each row keeps its own magazine.
  const uint8_t wanted = CommandWeaponRow(cmd);
  uint8_t row = heldRow;
  if (wanted != heldRow) {
    state.storedAmmo[heldRow] = state.ammo;
    state.storedMask = static_cast<uint16_t>(state.storedMask | (1u << heldRow));
    state.weapon = wanted;
    row = wanted;
    state.reloadTicks = 0;
    state.chargeTicks = 0;
    state.ammo = (state.storedMask & (1u << wanted)) != 0 ? state.storedAmmo[wanted]
                                                           : SaturateU16(tuning.Weapon(wanted).magazineSize);
  }
  const tune::WeaponTuning& weapon = tuning.Weapon(row);
  const int32_t magazine = weapon.magazineSize;

  // Step 14: timers.
  for (uint16_t& cooldown : state.shotCooldown) {
    if (cooldown != 0) cooldown -= 1;
  }
  if (state.burstTimer != 0) state.burstTimer -= 1;
  if (state.reloadTicks != 0) {
    state.reloadTicks -= 1;
    if (state.reloadTicks == 0) state.ammo = SaturateU16(magazine);
  }

  // Step 15: charge of a scoped shot.
  const uint16_t fullCharge = TicksFromSeconds(weapon.fullChargeTime, dt);
  if (weapon.scoped != 0 && fullCharge > 0 && (buttons & kButtonSecondary) != 0) {
    // In 32 bits: a charge count of 65535 taken from a server correction must not wrap to 0.
    state.chargeTicks = static_cast<uint16_t>(std::min<uint32_t>(uint32_t{state.chargeTicks} + 1u, fullCharge));
  } else {
    state.chargeTicks = 0;
  }

  // Step 16: reload start.
  const bool reloadWanted =
      (buttons & kButtonReload) != 0 || (tuning.shotFeedback.autoReload != 0 && state.ammo == 0);
  if (magazine > 0 && reloadWanted && state.reloadTicks == 0 && state.ammo < magazine) {
    state.reloadTicks = TicksFromSeconds(
        armor.reloadTimeFactor * weapon.reloadTime * InverseStatMultiplier(state.upgradeLevels[kTrackSpeed]), dt);
  }

  // Step 17: fire.
  const bool fireDown = (buttons & kButtonFire) != 0;
  const bool triggered = weapon.automatic != 0 ? fireDown : (fireDown && state.fireHeld == 0);
  const float shotSpeedInverse = InverseStatMultiplier(state.upgradeLevels[kTrackShotSpeed]);
  if (magazine > 0 && triggered && state.reloadTicks == 0 && state.shotCooldown[row] == 0 && state.ammo > 0 &&
      state.burstLeft == 0) {
    FireOneShot(state, weapon, fullCharge);
    state.shotCooldown[row] = std::max<uint16_t>(
        1, TicksFromSeconds(shotSpeedInverse * 60.0f / std::max(weapon.rateOfFire, 1.0f) * armor.fireDelayFactor,
                            dt));
  }

  // Step 18: burst on the secondary button.
  const bool burstTrigger = weapon.burstCount >= 1 && (buttons & kButtonSecondary) != 0;
  if (magazine > 0 && burstTrigger && state.secondaryHeld == 0 && state.burstLeft == 0 && state.reloadTicks == 0 &&
      state.shotCooldown[row] == 0 && state.ammo > 0) {
    state.burstLeft = static_cast<uint8_t>(std::min<int64_t>({int64_t{state.ammo}, weapon.burstCount, 255}));
    state.burstTimer = 0;
  }
  state.secondaryHeld = burstTrigger ? 1 : 0;
  while (state.burstLeft > 0 && state.burstTimer == 0 && state.reloadTicks == 0) {
    if (state.ammo == 0) {
      state.burstLeft = 0;
      break;
    }
    FireOneShot(state, weapon, fullCharge);
    state.burstLeft -= 1;
    if (state.burstLeft == 0) {
      state.shotCooldown[row] =
          std::max<uint16_t>(1, TicksFromSeconds(shotSpeedInverse * weapon.burstCooldown, dt));
    } else {
      state.burstTimer = std::max<uint16_t>(1, TicksFromSeconds(weapon.burstInterval, dt));
    }
  }
  state.fireHeld = fireDown ? 1 : 0;

  // Step 19: powers.
  state.power = CommandPowerRow(cmd);
  const tune::PowerTuning& power = tuning.Power(state.power);
  const uint16_t powerCooldown =
      TicksFromSeconds(InverseStatMultiplier(state.upgradeLevels[kTrackAbility]) * power.cooldown, dt);
  if (state.powerActive == 0 && state.powerCooldown != 0) state.powerCooldown -= 1;
  if (state.powerActive != 0) state.powerActive -= 1;
  const bool use = (buttons & kButtonPower) != 0 && state.respawnTicks == 0 && state.health > 0 && power.enabled != 0;
  const bool pressed = use && state.powerHeld == 0;
  if (state.power != kPowerGrenade) {
    if (pressed && state.powerCooldown == 0) {
      state.powerUses += 1;
      state.cookedOff = 0;
      state.powerCooldown = powerCooldown;
      if (state.power == kPowerInvisible) state.powerActive = TicksFromSeconds(tuning.invisibility.duration, dt);
    }
    state.cookTicks = 0;
    state.throwTicks = 0;
  } else {
    const uint16_t hold = std::max<uint16_t>(1, TicksFromSeconds(tuning.grenade.fullCookTime, dt));
    const uint16_t maxCook = std::max<uint16_t>(2, TicksFromSeconds(tuning.grenade.maxHoldTime, dt));
    const uint16_t release = std::max<uint16_t>(1, TicksFromSeconds(tuning.grenade.releaseTime, dt));
    const uint16_t end =
        std::max<uint16_t>(SaturateU16(int64_t{release} + 1), TicksFromSeconds(tuning.rig.throwLength, dt));
    if (state.throwTicks > 0) {
      if (state.throwTicks < 65535) state.throwTicks += 1;
      // The throw count starts at 1 and is raised before this test, so a release at tick 1 (a very
      // coarse step) is taken at 2 instead of never.
      if (state.throwTicks == std::max<uint16_t>(release, 2)) {
        state.powerUses += 1;
        state.cookedOff = 0;
        state.powerCooldown = powerCooldown;
      }
      if (state.throwTicks > end) state.throwTicks = 0;
    } else if (use) {
      if (state.cookTicks > 0 || (pressed && state.powerCooldown == 0)) {
        if (state.cookTicks < 65535) state.cookTicks += 1;
        if (state.cookTicks >= maxCook) {
          // Held too long: it leaves the hand by itself, fully cooked.
          state.powerUses += 1;
          state.cookFraction = 255;
          state.cookedOff = 1;
          state.powerCooldown = powerCooldown;
          state.cookTicks = 0;
        }
      }
    } else if (state.cookTicks > 0) {
      const uint32_t cooked = std::min(state.cookTicks, hold);
      state.throwTicks = 1;
      state.cookTicks = 0;
      state.cookFraction = static_cast<uint8_t>((cooked * 255u + hold / 2u) / hold);
    }
  }
  state.powerHeld = use ? 1 : 0;

  // Step 20: body yaw follows the movement, or the view when standing, never twisting too far from it.
  const tune::ModelPoseTuning& pose = settings.pose;
  float bodyTarget = state.yaw;
  float turnRate = pose.turnRateIdle;
  if (pose.faceMovement != 0 && HorizontalLength(velocity) > 0.35f) {
    bodyTarget = DetAtan2(-velocity.x, -velocity.z) * kRadToDeg;
    turnRate = pose.turnRateMoving;
  }
  const float maxTurn = turnRate * dt;
  state.bodyYaw += std::clamp(AngleDelta(state.bodyYaw, bodyTarget), -maxTurn, maxTurn);
  const float twist = AngleDelta(state.yaw, state.bodyYaw);
  if (std::fabs(twist) > pose.maxBodyTwist) {
    state.bodyYaw = state.yaw + (twist <= 0.0f ? -pose.maxBodyTwist : pose.maxBodyTwist);
  }
  if (state.bodyYaw > 180.0f) state.bodyYaw -= 360.0f;
  if (state.bodyYaw < -180.0f) state.bodyYaw += 360.0f;
  state.lastCommandTick = cmd.tick;
}
