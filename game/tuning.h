#pragma once

#include <cstdint>
#include <type_traits>

// The one game-wide settings record. Every gameplay number, the camera and input defaults, the
// animation names, the lighting defaults, sound and model paths, the content tables, network and
// service settings and the key bindings live here as plain fields with compiled-in defaults.
//
// The record owns no memory: text fields point at string constants, so a copy is a byte copy and
// the server's worker threads can read their copy without locks. Groups appear in record order.
// Units: metres, seconds, degrees, metres per second unless a field says otherwise.
namespace tune {

// ---- Loop and window -----------------------------------------------------------------------------
struct LoopTuning {
  int32_t tickRate = 64;               // simulation ticks per second on server and client
  int32_t maxStepsPerFrame = 5;        // most fixed steps one client frame runs
  int32_t workerThreads = 0;           // server tick workers; 0 = hardware threads - 1, at most 7
  uint8_t interpolation = 1;           // client blends the display state between fixed steps
  int32_t windowWidth = 1600;
  int32_t windowHeight = 900;
  uint8_t swapInterval = 0;            // passed to the window at creation
  int32_t multisampleSamples = 4;      // multisampling is on when above 0
};

// ---- Camera and view -----------------------------------------------------------------------------
struct CameraTuning {
  float baseFieldOfView = 90.0f;       // read by the client camera
  float nearPlane = 0.05f;
  float farPlane = 2000.0f;
  uint8_t reversedDepth = 1;
  float mouseSensitivity = 0.022f;     // degrees per mouse count
  float sensitivityMultiplier = 2.5f;
  float aimSensitivityScale = 0.65f;   // look sensitivity factor while aiming
  uint8_t invertPitch = 0;
  float lookSmoothing = 0.0f;          // share of the last mouse motion kept, 0..0.9
  float minPitch = -89.0f;             // bots clamp their pitch to these too
  float maxPitch = 89.0f;
  float viewPivotHeight = 1.55f;       // view origin above the feet
  float hipViewDistance = 2.0f;
  float aimedViewDistance = 1.4f;
  float hipShoulderOffset = 1.0f;
  float aimedShoulderOffset = 0.62f;
  float viewPivotLowHeight = 0.5f;     // start height of the view origin's wall test
  float cameraStartDistance = 3.0f;    // client camera
  float cameraFarLimit = 50.0f;        // client camera
  float fieldOfView = 90.0f;           // vertical
  float aimedFieldOfView = 65.0f;
  float fieldOfViewRate = 14.0f;       // per second
  float ownFadeFar = 1.3f;             // own character fully opaque beyond this camera distance
  float ownFadeNear = 0.62f;           // own character invisible nearer than this
  float scopedViewDistance = 0.05f;
  float scopedShoulderOffset = 0.0f;
  float scopedPivotRaise = 0.1f;       // added times the aim blend
  float aimBlendRate = 18.0f;          // per second; 0 or less sets the target at once
  float viewEaseRate = 12.0f;          // per second; 0 or less sets the target at once
  float pivotEaseRate = 22.0f;         // per second, client camera
  uint8_t viewWallTest = 1;
  float viewWallTestRadius = 0.2f;
  float viewWallMargin = 0.1f;
  // The loadout screen's fixed view of the preview character, and how far a right-button drag
  // turns it per cursor unit (degrees).
  float previewEye[3] = {0.0f, 1.35f, 3.4f};
  float previewTarget[3] = {0.0f, 1.0f, 0.0f};
  float previewFieldOfView = 40.0f;
  float previewTurnRate = 0.4f;
};

// ---- Movement ------------------------------------------------------------------------------------
// Character model placement, copied into every character animator. The turning values are read by
// the body-yaw step of the movement code.
struct ModelPoseTuning {
  float modelScale = 1.882f;
  float modelHeightOffset = 0.913f;
  float modelYawOffset = 180.0f;
  uint8_t yawMode = 0;                 // torso mode 0..2; set by the client shell from its options
  uint8_t spreadTwist = 1;
  uint8_t faceMovement = 1;
  float maxBodyTwist = 62.0f;
  float turnRateMoving = 520.0f;       // degrees per second
  float turnRateIdle = 240.0f;         // degrees per second
};

// The block the movement step hands to its sub-steps.
struct MovementTuning {
  float walkSpeed = 4.6f;
  float sprintSpeed = 7.2f;
  float crouchSpeed = 2.2f;
  float backwardFactor = 0.72f;
  float strafeFactor = 0.9f;
  float groundAcceleration = 85.0f;
  float airAcceleration = 12.0f;
  float airWishSpeedCap = 1.2f;
  float friction = 8.0f;
  float stopSpeed = 1.4f;
  float gravity = 22.0f;
  float jumpSpeed = 6.4f;
  float terminalFallSpeed = 60.0f;
  uint8_t holdToRejump = 1;
  float coyoteTime = 0.1f;
  float jumpBufferTime = 0.12f;
  float bodyRadius = 0.35f;
  float standingHeight = 1.8f;
  float crouchHeight = 1.1f;
  float crouchEaseRate = 10.0f;
  float stepHeight = 0.45f;
  float groundProbeDistance = 0.06f;   // never used below 0.02
  float groundSnapDistance = 0.22f;
  float maxWalkableSlope = 46.0f;
  ModelPoseTuning pose;
};

// ---- Rig -----------------------------------------------------------------------------------------
// Clip and bone names and constants of the character animator.
struct RigTuning {
  static constexpr int kClipCount = 13;
  static constexpr int kBoneCount = 11;
  const char* clipNames[kClipCount] = {
      "hold_general", "hold_flamethrower", "hold_LMG", "hold_RPG", "aim_general",
      "aim_flamethrower", "aim_LMG", "aim_RPG", "run", "idle", "jumping", "dying", "throw"};
  float throwLength = 0.292f;          // also the end of the grenade throw in the movement step
  float throwEaseTime = 0.08f;
  const char* upperBodyBones[kBoneCount] = {
      "torso_bottom", "torso_top", "shoulder.l", "upper_arm.l", "forearm.l", "hand.l",
      "shoulder.r", "upper_arm.r", "forearm.r", "hand.r", "head"};
  float styleCrossFadeTime = 0.18f;
  float runWeightEaseTime = 0.14f;
  float airEaseInTime = 0.06f;         // ease time while airborne
  float airEaseOutTime = 0.16f;        // ease time while grounded
  float airClockRate = 1.0f;
  float runClockReferenceSpeed = 5.2f;
  float runClockRateMin = 0.55f;
  float runClockRateMax = 1.85f;
  float runWeightReferenceSpeed = 0.6f;
  float syncedAimMinDuration = 0.2f;
  uint8_t syncedAimWeight = 1;
  float bobFactor = 1.0f;
  uint8_t holdKeys = 1;                // sample without interpolating between keys
  float frameRateOverride = 0.0f;      // 0 = none
  uint8_t quantiseWeights = 1;
  int32_t spare = 0;                   // nothing reads it
};

// ---- Lighting ------------------------------------------------------------------------------------
// The base lighting passed to every draw; each frame derives its own copy from it and the sky.
struct LightingTuning {
  uint8_t lit = 1;                     // 1 full lighting, 0 fast; "config.txt" key `lighting`
  // The frame's copy takes the sun and ambient intensity pair of the chosen mode.
  float litSunIntensity = 0.05f;
  float litAmbientIntensity = 0.08f;
  float fastSunIntensity = 0.9f;
  float fastAmbientIntensity = 0.3f;
  float mapLightIntensityFactor = 0.0075f;  // map area light power to point-light intensity
  float mapLightRadiusFactor = 1.7f;        // sqrt of power to point-light radius
  int32_t sunOn = 1;
  float sunDirection[3] = {-0.42f, -0.82f, -0.39f};  // the direction the light travels
  float sunColour[3] = {1.0f, 0.96f, 0.88f};
  float sunIntensity = 0.9f;
  float skyAmbientColour[3] = {0.34f, 0.42f, 0.58f};
  float groundColour[3] = {0.16f, 0.14f, 0.13f};
  float ambientIntensity = 0.3f;
  float groundBounceIntensity = 0.35f;
  int32_t bandCount = 0;               // light block header; the `--bands` option sets it
  float unlitLightBoost = 0.75f;
  float lightBlockScale = 1.0f;        // light block header, after the band count
  float specular = 0.4f;
  float gloss = 48.0f;
  float rim = 0.22f;
};

// ---- Renderer and presentation -------------------------------------------------------------------
// Same layout as the renderer's own outline settings, which the client overwrites from it.
struct OutlineTuning {
  uint8_t enabled = 1;
  float width = 0.018f;
  float colour[3] = {0.0f, 0.0f, 0.0f};
};

struct CrosshairTuning {  // pixels
  uint8_t enabled = 1;
  float gap = 4.0f;
  float length = 9.0f;
  float thickness = 2.0f;
  uint8_t outline = 1;
  float outlineWidth = 1.0f;
  uint8_t centreDot = 0;
  float dotSize = 2.0f;
  float colour[4] = {0.2f, 1.0f, 0.35f, 1.0f};
  float outlineColour[4] = {0.0f, 0.0f, 0.0f, 0.85f};
};

struct RendererTuning {
  float clearColour[3] = {0.055f, 0.062f, 0.078f};
  uint8_t depthPrepass = 1;
  float levelChunkSize = 12.0f;        // spatial chunk of the level model; 0 = no frustum culling
  int32_t textureSizeCap = 1024;       // largest texture edge uploaded
  float levelAnisotropy = 2.0f;
  uint8_t debugGrid = 1;
  float gridHalfExtent = 40.0f;
  float gridSpacing = 2.0f;
  OutlineTuning outline;
  // Bounty outline: width = outline width + bountyOutlineWidth x s x (1 + pulse depth x sin(...)).
  float bountyOutlineWidth = 0.075f;
  float bountyOutlineColour[3] = {3.4f, 1.55f, 0.28f};
  float bountyPulseDepth = 0.22f;
  float bountyPulseRate = 1.7f;        // cycles per second
  CrosshairTuning crosshair;
  uint8_t smoothing = 1;               // the `--smooth` option clears it
  // HUD and effect sizes read by the client.
  float hudValues[19] = {0.85f, 6.0f, 9.0f, 14.0f, 44.0f, 4.0f, 430.0f, 28.0f, 34.0f, 18.0f,
                         34.0f, 0.13f, 0.74f, 0.89f, 2.0f, 1.3f, 1.7f, 1.7f, 0.0f};
};

// ---- Sounds and small effects --------------------------------------------------------------------
struct SoundTuning {
  const char* menuMusic = "audio/menu_theme.wav";
  float menuMusicVolume = 0.45f;
  float soundNear = 2.5f;              // positional range of other sounds
  float soundFar = 32.0f;
  float fireSoundNear = 8.0f;
  float fireSoundFar = 120.0f;
  float explosionSoundNear = 16.0f;
  float explosionSoundFar = 140.0f;
  float eventSoundNear = 3.0f;
  float eventSoundFar = 45.0f;
  float pickupSoundNear = 2.5f;
  float pickupSoundFar = 24.0f;
  const char* metalGainSound = "audio/gain_metal.wav";
  const char* upgradeSound = "audio/upgrade.mp3";
  const char* footstepSounds[4] = {"audio/footstep_1.mp3", "audio/footstep_2.mp3",
                                   "audio/footstep_3.mp3", "audio/footstep_4.mp3"};
  float footstepStride = 1.95f;
  float footstepVolume = 0.22f;
  float footstepVolumeSpread = 0.07f;
  const char* wooshSound = "audio/woosh.mp3";
  float wooshGain = 22.0f;
  const char* beepSound = "audio/beep.mp3";
  float beepGain = 7.0f;
  const char* placeSentrySound = "audio/place_sentry.mp3";
  float placeSentryGain = 0.8f;
};

// ---- Grenade -------------------------------------------------------------------------------------
struct GrenadeTuning {
  const char* model = "models/weapons/grenade.glb";
  float fullCookTime = 1.1f;
  float maxHoldTime = 2.4f;            // it leaves the hand by itself then
  float throwSpeedMin = 8.0f;          // uncooked
  float throwSpeedMax = 24.0f;         // fully cooked
  float throwLift = 0.26f;             // added to the view direction's y before normalising
  float gravity = 17.0f;
  float radius = 0.11f;
  float fuseTime = 1.8f;
  float restitution = 0.38f;
  float bounceFriction = 0.42f;
  float restSpeed = 1.1f;
  float releaseTime = 0.1667f;         // into the throw
  float handValue = 0.08f;             // client presentation of the throw
  float gripScale = 1.0f;
  float gripOffset[3] = {0.0f, 0.02f, 0.0f};
  float trailSparksPerSecond = 30.0f;
  float trailSecondFlash = 0.085f;
  float trailLifetime = 0.3f;
  float trailJitter = 0.055f;
  float spinRate = 620.0f;             // degrees per second of flight
};

// ---- Powers --------------------------------------------------------------------------------------
struct PowerTuning {
  const char* displayName = "";
  const char* id = "";
  const char* blurb = "";
  float cooldown = 0.0f;               // seconds, scaled by the ABILITY level
  uint8_t enabled = 1;
};

// ---- Account-service link (server side) ----------------------------------------------------------
struct AccountLinkTuning {
  uint8_t enabled = 1;                 // cleared in every server copy of the record
  const char* host = "127.0.0.1";
  int32_t port = 8451;
  const char* ticketRedeemPath = "/internal/game-ticket/redeem";
  const char* coinGrantPath = "/internal/coins/grant";
  int32_t requestTimeoutMs = 400;      // socket send and receive time-outs
};

// ---- Chat and match values -----------------------------------------------------------------------
struct ChatTuning {
  float chatRate = 0.65f;              // messages per second of token refill
  float chatBurst = 3.0f;              // most tokens held
  // Server and bot values; the bot brain and the match rules state their numbers directly, so
  // nothing reads these. They keep the record's order and defaults.
  float spare1 = 9.0f;
  float spare2 = 1.2f;
  int32_t spare3 = 6;
  float spare4 = 30.0f;
  float spare5 = 1.95f;
  float spare6 = 18.0f;
  float spare7 = 46.0f;
  float botEyeHeightFactor = 0.92f;    // of the body height
  float spare9 = 1.25f;
  float spare10 = 0.72f;
  uint8_t spare11 = 1;
  float spare12 = 0.5f;
  float spare13 = 1.1f;
  float spare14 = 1.6f;
  int32_t spare15 = 3;
  float spare16 = 0.55f;
  float spare17 = 5.0f;
};

// ---- Sentry --------------------------------------------------------------------------------------
struct SentryTuning {
  const char* model = "models/powers/sentry.glb";
  int32_t hitPoints = 75;
  float targetRange = 18.0f;
  float damagePerShot = 6.0f;          // rounded
  float rateOfFire = 260.0f;           // per minute; interval 60 / max(rate, 1)
  float turnRate = 220.0f;             // degrees per second
  float aimTolerance = 7.0f;           // fires only when aimed within this of the target
  float minPitch = -35.0f;
  float maxPitch = 25.0f;
  float lifetime = 45.0f;
  float lightIntensity = 3.4f;
  float lightRadius = 2.2f;
  float modelScale = 2.25f;
  float pivotHeight = 0.2352f;         // before scaling
  float barrelLength = 0.3075f;        // before scaling
  float probeRadius = 0.46f;           // also the half-width of its hit box
  float height = 0.88f;                // hit box height; also the height of its light
  float placementDistance = 1.6f;      // ahead of the player
  float dropSearch = 2.5f;             // how far down the server looks for the floor
};

// ---- Shield --------------------------------------------------------------------------------------
struct ShieldTuning {
  const char* model = "models/powers/plasma_shield.glb";
  int32_t hitPoints = 150;
  float lifetime = 60.0f;
  float placementDistance = 2.0f;      // in front of the player
  float scale = 3.726f;                // the model's uniform scale
  float halfWidth = 0.93f;             // before scaling
  float height = 0.93f;                // before scaling
  float halfDepth = 0.22f;             // before scaling
  float look[5] = {0.86f, 1.0f, 0.45f, 0.95f, 1.0f};
  const char* placeSound = "audio/place_sentry.mp3";
  float placeSoundVolume = 0.9f;
};

// ---- Healing field (HEALTH BOMB) -----------------------------------------------------------------
struct HealingFieldTuning {
  float radius = 6.0f;
  float lifetime = 6.0f;
  float healShare = 0.3f;              // of max health over the lifetime
  float pulseInterval = 0.5f;
  float overhealHoldTime = 15.0f;
  float overhealDecay = 12.0f;         // health per second once the hold ends
  float colour[3] = {0.3f, 1.0f, 0.45f};
  float faceAlpha = 0.025f;
  float rimAlpha = 0.45f;
  float rimPower = 2.6f;
  float pulseRate = 1.6f;              // cycles per second
  float pulseDepth = 0.28f;
  float radiusPulse = 0.04f;
  float lookValue = 14.0f;
  float indicatorSize = 0.42f;
  float indicatorValue = 1.35f;
  float indicatorShrink = 0.35f;
  float indicatorLifetime = 1.6f;
  const char* pickupSound = "audio/pickup_stardust.wav";
  float pickupSoundVolume = 0.9f;
};

// ---- Invisibility --------------------------------------------------------------------------------
struct InvisibilityTuning {
  float duration = 8.0f;
  float pulseMin = 0.3f;
  float pulseMax = 0.8f;
  float pulsePeriod = 2.0f;
  float pulsePeak = 0.05f;
  float pulseWidth = 0.2f;
  const char* sound = "audio/invisible.mp3";
  float soundVolume = 0.85f;
};

// ---- Weapons -------------------------------------------------------------------------------------
struct WeaponTuning {
  const char* displayName = "NONE";
  const char* id = "";
  const char* model = "";
  const char* fireSound = "";
  const char* reloadSound = "";
  int32_t fireSoundVoices = 12;
  uint8_t continuousFireSound = 0;     // loop the fire sound while the trigger holds
  int32_t magazineSize = 0;            // 0 = cannot fire or reload
  float rateOfFire = 0.0f;             // rounds per minute; interval 60 / max(rate, 1)
  float reloadTime = 1.6f;
  uint8_t automatic = 1;               // fires while held; otherwise once per press
  uint8_t notTraced = 0;               // the server traces no ray (flames, rockets)
  float range = 0.0f;
  int32_t pellets = 1;
  float spread = 0.0f;                 // degrees
  float damage = 10.0f;                // per ray that hits
  float headMultiplier = 2.0f;         // region 0
  float torsoMultiplier = 1.0f;        // region 1
  float limbMultiplier = 0.75f;        // regions 2 and above
  float falloffStart = 500.0f;
  float falloffEnd = 500.0f;
  float falloffFactor = 1.0f;          // damage factor reached at the falloff end
  float spareValues[3] = {0.0f, 0.0f, 0.0f};
  float spareFactor = 1.0f;
  float tint[4] = {0.0f, 0.0f, 0.0f, 0.0f};  // model base colour when the fourth is above 0
  const char* weightClass = "NONE";
  float moveSpeedFactor = 1.06f;
  uint8_t holdStyle = 0;               // 1 general, 2 flamethrower, 3 LMG, 4 RPG, 0 none
  int32_t burstCount = 0;              // shots of a burst on the secondary button
  float burstInterval = 0.075f;
  float burstCooldown = 0.55f;
  float rampTime = 0.0f;               // seconds of hits to reach the full ramp; 0 = no ramp
  float rampFactor = 1.0f;             // damage factor at the full ramp
  float rampGap = 0.18f;               // a longer pause between hits restarts the ramp
  uint8_t canAim = 0;                  // secondary button gives the shouldered view
  uint8_t scoped = 0;                  // secondary button gives the scope and charges the shot
  float aimedFieldOfView = 22.0f;
  float scopedMoveSpeedFactor = 0.45f;
  float fullChargeTime = 0.0f;         // 0 = no charge
  float minChargeFactor = 0.33f;
  // Tracer overrides: the colour when its first component is not negative, the others when above 0.
  float tracerColour[3] = {-1.0f, -1.0f, -1.0f};
  float tracerWidth = 0.0f;
  float tracerLifetime = 0.0f;
  float tracerIntensity = 0.0f;
  uint8_t beam = 0;                    // drawn as a continuous beam
  // Beam and effect values read by the effects.
  float glowWidthFactor = 3.2f;
  float glowIntensityFactor = 0.35f;
  float muzzleGlow = 0.0f;
  float muzzleFlash = 2.4f;
  float muzzleOffset = 0.16f;
  float pulseDepth = 0.18f;
  float pulseRate = 11.0f;
  float sparkRate = 26.0f;
  float sparkSize = 0.055f;
  float sparkSpeed = 1.4f;
  float sparkSpread = 0.55f;
  float sparkLifetime = 0.42f;
  float sparkDrag = 2.6f;
  float fireVolume = 0.85f;
  float fireSoundValue = 0.8f;
  float firePitchVariation = 0.06f;
  float firePitch = 1.0f;
  float effectSpare = 0.0f;
  const char* attachBone = "hand.r";
  float gripOffset[3] = {0.0f, 0.0542318f, 0.0f};  // in the bone's space
  float gripRotation[4] = {0.0f, 0.0f, 0.0f, 1.0f};  // quaternion x, y, z, w
  float gripScale[3] = {1.0f, 1.0f, 1.0f};
};

// ---- Shot feedback -------------------------------------------------------------------------------
struct ShotFeedbackTuning {
  uint8_t autoReload = 1;              // a reload starts by itself on an empty magazine
  uint8_t tracerTravelling = 1;        // tracers fly instead of appearing at once
  float tracerSpeed = 220.0f;
  float tracerTail = 5.0f;
  float tracerLifetime = 0.07f;
  float tracerWidth = 0.035f;
  float tracerColour[3] = {1.0f, 0.86f, 0.45f};
  float tracerIntensity = 1.15f;
  float muzzleFlashLifetime = 0.045f;
  float muzzleFlashSecond = 0.3f;
  float muzzleFlashColour[3] = {1.0f, 0.78f, 0.36f};
  float muzzleFlashFirst = 1.5f;
  float hitFlashTime = 0.22f;
  float hitFlashColour[3] = {1.0f, 0.32f, 0.24f};
  float hitFlashStrength = 0.85f;
  float hitSparkSecond = 0.14f;        // hit sparks use the hit-flash colour
  float hitSparkLifetime = 0.09f;
  float damageNumberRise = 0.85f;
  float damageNumberLifetime = 0.85f;
  float damageNumberScale = 2.4f;
  float damageNumberColour[3] = {1.0f, 0.86f, 0.42f};
  float headshotNumberColour[3] = {1.0f, 0.44f, 0.36f};
  float damageNumberSpare = 0.0f;
  const char* hitSound = "audio/hit.wav";
  const char* killSound = "audio/kill.wav";
  const char* deathSound = "audio/death.wav";
  float hitSoundVolume = 0.55f;
  float killSoundVolume = 0.8f;
  float deathSoundVolume = 0.9f;
};

// ---- Armours -------------------------------------------------------------------------------------
struct ArmorTuning {
  const char* displayName = "";
  const char* id = "";
  const char* model = "";
  const char* blurb = "";
  int32_t hitPoints = 100;
  float speedFactor = 1.0f;
  float damageFactor = 1.0f;           // damage dealt
  float reloadTimeFactor = 1.0f;
  float fireDelayFactor = 1.0f;        // shot interval
  float spare[5] = {0.0f, 0.0f, 0.0f, 0.0f, 0.0f};
};

// ---- Map, match rules and world objects ----------------------------------------------------------
// The block the death drops read. The sheet and sprite values are the client's.
struct DropTuning {
  int32_t sheetColumns = 6;
  int32_t sheetRows = 2;
  int32_t coinRow = 0;
  int32_t coinFrames = 4;
  int32_t stardustRow = 1;
  int32_t stardustFrames = 6;
  int32_t minCount = 0;
  int32_t maxCount = 3;
  float spawnHeight = 1.0f;            // above the body
  float verticalSpeedLow = 4.5f;
  float verticalSpeedHigh = 6.5f;
  float horizontalSpeedLow = 1.5f;
  float horizontalSpeedHigh = 4.0f;
  float gravity = 18.0f;
  float restitution = 0.35f;
  float groundFriction = 2.0f;
  float restSpeed = 0.6f;
  float spriteSize = 0.7f;
  float bobHeight = 0.12f;
  float bobRate = 2.0f;
  float pickupRadius = 1.5f;
  float minPickupAge = 0.35f;
  float lifetime = 45.0f;
  float blinkTime = 3.0f;              // an untaken drop blinks in its last seconds
  float takenDisplayTime = 0.26f;
  float riseSpeed = 1.6f;              // of a taken drop
  float takenGrowth = 0.45f;           // sprite growth while a taken drop fades
  float spare = 0.0f;
};

struct PickupTuning {  // read by the client
  const char* coinSound = "audio/pickup_coin.wav";
  const char* stardustSound = "audio/pickup_stardust.wav";
  float coinVolume = 0.55f;
  float stardustVolume = 0.65f;
  int32_t coinVoices = 5;
  float coinPitchSpread = 0.12f;
  float sheetDrawSize = 2.5f;
  float framesPerSecond = 8.0f;
  int32_t pulseSteps = 4;
  float pulseLow = 0.75f;
  float pulseHigh = 1.6f;
  float pulseRate = 1.7f;
  float lightIntensity = 4.5f;
  float lightRadius = 1.6f;
  int32_t maxLights = 6;
  float hudValues[7] = {40.0f, 2.0f, 24.0f, 14.0f, 10.0f, 6.0f, 20.0f};
};

struct RocketTuning {
  float speed = 42.0f;
  float gravity = 6.0f;
  float radius = 0.18f;
  float fuseTime = 6.0f;
  float explosionRadius = 8.0f;
  float explosionDamage = 90.0f;
  float minFalloff = 0.0f;             // smallest falloff fraction
  float proximityDistance = 0.75f;
};

struct ExplosionTuning {  // the look of a blast
  float flashColour[3] = {1.0f, 0.82f, 0.25f};
  float fragmentDistanceScale = 0.55f;  // of the explosion radius; also the trail's flash scale
  float flashFirst = 2.6f;
  float lookValues[4] = {60.0f, 0.1f, 0.28f, 0.34f};
  float fragmentColour[3] = {1.0f, 0.45f, 0.1f};
  const char* sound = "audio/explosion.mp3";
  float soundVolume = 0.95f;
  float fragmentCount = 14.0f;
  float flashSecond = 1.1f;
  float lifetime = 0.45f;
};

struct FlameTuning {  // the FLAMER row's particles
  float particleSpeed = 24.0f;
  float dragRate = 3.2f;               // per second
  float particleLifetime = 0.38f;
  float startRadius = 0.22f;
  float endRadius = 1.3f;
  float coneHalfAngle = 4.0f;
  float damagePerHit = 8.0f;
  float hitInterval = 0.055f;
  float burnTime = 5.0f;
  float burnInterval = 0.5f;
  float burnDamage = 3.0f;             // per burn tick
  // The flame's look.
  float burstCount = 4.0f;             // particles of one flame burst
  float burstConeAngle = 11.0f;        // degrees
  float burstSpeedSpread = 0.35f;
  float lookValues[4] = {0.34f, 3.4f, 0.42f, 0.85f};
  float hotColour[3] = {1.0f, 0.9f, 0.42f};
  float coolColour[3] = {1.0f, 0.28f, 0.05f};
  float tailValues[3] = {16.0f, 0.26f, 0.45f};
};

struct MatchTuning {
  const char* defaultMap = "maps/Map One/map_one.glb";
  float mapReferenceHeight = 0.939453f;  // scale = standing height / this x factor (factor alone at 0)
  float mapScaleFactor = 1.18f;
  int32_t startingLives = 3;
  float respawnDelay = 3.0f;
  float spawnProtection = 2.0f;
  float spawnClearance = 1.6f;         // used by the spawn choice
  uint8_t friendlyFire = 0;
  float killFloorDepth = 25.0f;        // kill height = lowest point of the map minus this
  float postMatchDelay = 8.0f;         // a finished match returns to its lobby this long after the win
  float spare = 0.0f;
  DropTuning drops;
  PickupTuning pickups;
  RocketTuning rocket;
  ExplosionTuning explosion;
  FlameTuning flame;
};

// ---- Network -------------------------------------------------------------------------------------
struct NetworkTuning {
  uint16_t port = 27015;
  int32_t maxClients = 128;
  int32_t snapshotRate = 30;           // per second
  int32_t commandsPerInput = 3;        // newest commands in each input message, 1..8
  float interpolationDelayMs = 100.0f;
  float maxRewind = 0.25f;             // seconds
  int32_t rewindTolerance = 3;         // ticks
  float interestRadius = 140.0f;       // players farther away are not sent
  float connectionTimeout = 10.0f;     // both sides drop a peer silent this long
  int32_t spare = 2;
  int32_t inputQueueLimit = 12;        // clamped to 1..64 by the server
  uint8_t serverStatistics = 1;
  float statisticsInterval = 2.0f;
};

// ---- Key bindings --------------------------------------------------------------------------------
// GLFW key codes, in action order.
enum KeyBinding : int {
  kKeyForward, kKeyBack, kKeyLeft, kKeyRight, kKeyJump, kKeySprint, kKeyCrouch,
  kKeyWeaponNone, kKeyPrimary, kKeySecondary, kKeySwap, kKeyUpgrades, kKeyReload, kKeyPower,
  kKeyScoreboard, kKeyWireframe, kKeyMenu, kKeyBindingCount
};

// ---- The record ----------------------------------------------------------------------------------
struct Tuning {
  static constexpr int kWeaponCount = 10;
  static constexpr int kArmorCount = 5;
  static constexpr int kPowerCount = 5;
  static constexpr int kRarityCount = 4;

  LoopTuning loop;
  CameraTuning camera;
  MovementTuning movement;
  RigTuning rig;
  LightingTuning lighting;
  RendererTuning renderer;
  SoundTuning sound;
  GrenadeTuning grenade;
  PowerTuning powers[kPowerCount] = {
      {"GRENADE", "grenade", "hold to cook, let go to throw", 4.0f, 1},
      {"SENTRY", "sentry", "plants a turret that shoots for you", 16.0f, 1},
      {"INVISIBLE", "invisibility", "eight seconds unseen; firing ends it", 16.0f, 1},
      {"SHIELD", "shield", "a wall of energy; stops bullets, not people", 22.0f, 1},
      {"HEALTH BOMB", "health", "heals your side, and past full", 20.0f, 1},
  };
  AccountLinkTuning account;
  ChatTuning chat;
  SentryTuning sentry;
  ShieldTuning shield;
  HealingFieldTuning healingField;
  InvisibilityTuning invisibility;
  WeaponTuning weapons[kWeaponCount] = {
      {.displayName = "NONE",
       .id = "",
       .model = "",
       .fireSound = "",
       .reloadSound = "",
       .fireSoundVoices = 12,
       .continuousFireSound = 0,
       .magazineSize = 0,
       .rateOfFire = 0.0f,
       .reloadTime = 1.6f,
       .automatic = 1,
       .notTraced = 0,
       .range = 0.0f,
       .pellets = 1,
       .spread = 0.0f,
       .damage = 10.0f,
       .headMultiplier = 2.0f,
       .limbMultiplier = 0.75f,
       .falloffStart = 500.0f,
       .falloffEnd = 500.0f,
       .falloffFactor = 1.0f,
       .weightClass = "NONE",
       .moveSpeedFactor = 1.06f,
       .holdStyle = 0,
       .canAim = 0,
       .gripOffset = {0.0f, 0.0f, 0.0f},
       .gripRotation = {0.0f, 0.0f, 0.0f, 1.0f}},
      {.displayName = "M4",
       .id = "m4",
       .model = "models/weapons/M4.glb",
       .fireSound = "audio/rifle_fire.mp3",
       .reloadSound = "audio/rifle_reload.mp3",
       .fireSoundVoices = 12,
       .continuousFireSound = 0,
       .magazineSize = 32,
       .rateOfFire = 600.0f,
       .reloadTime = 1.6f,
       .automatic = 1,
       .notTraced = 0,
       .range = 400.0f,
       .pellets = 1,
       .spread = 0.0f,
       .damage = 10.0f,
       .headMultiplier = 2.0f,
       .limbMultiplier = 0.75f,
       .falloffStart = 500.0f,
       .falloffEnd = 500.0f,
       .falloffFactor = 1.0f,
       .weightClass = "MEDIUM",
       .moveSpeedFactor = 0.94f,
       .holdStyle = 1,
       .canAim = 1,
       .gripRotation = {0.376284f, -0.0664266f, -0.923455f, 0.0350677f}},
      {.displayName = "SHOTGUN",
       .id = "shotgun",
       .model = "models/weapons/shotgun.glb",
       .fireSound = "audio/shotgun_fire.mp3",
       .reloadSound = "audio/shotgun_reload.mp3",
       .fireSoundVoices = 8,
       .continuousFireSound = 0,
       .magazineSize = 8,
       .rateOfFire = 75.0f,
       .reloadTime = 2.4f,
       .automatic = 0,
       .notTraced = 0,
       .range = 60.0f,
       .pellets = 9,
       .spread = 5.0f,
       .damage = 11.0f,
       .headMultiplier = 1.5f,
       .limbMultiplier = 0.85f,
       .falloffStart = 7.0f,
       .falloffEnd = 26.0f,
       .falloffFactor = 0.3f,
       .weightClass = "MEDIUM",
       .moveSpeedFactor = 0.95f,
       .holdStyle = 1,
       .canAim = 0,
       .gripRotation = {0.376284f, -0.0664266f, -0.923455f, 0.0350677f}},
      {.displayName = "LASER",
       .id = "laser",
       .model = "models/weapons/laser_gun.glb",
       .fireSound = "audio/laser_beam.mp3",
       .reloadSound = "audio/rifle_reload.mp3",
       .fireSoundVoices = 2,
       .continuousFireSound = 1,
       .magazineSize = 100,
       .rateOfFire = 1200.0f,
       .reloadTime = 1.8f,
       .automatic = 1,
       .notTraced = 0,
       .range = 200.0f,
       .pellets = 1,
       .spread = 0.0f,
       .damage = 2.2f,
       .headMultiplier = 1.0f,
       .limbMultiplier = 1.0f,
       .falloffStart = 500.0f,
       .falloffEnd = 500.0f,
       .falloffFactor = 1.0f,
       .weightClass = "MEDIUM",
       .moveSpeedFactor = 0.94f,
       .holdStyle = 1,
       .rampTime = 2.0f,
       .rampFactor = 3.5f,
       .canAim = 0,
       .tracerColour = {0.35f, 0.7f, 1.0f},
       .tracerWidth = 0.14f,
       .tracerLifetime = 0.09f,
       .tracerIntensity = 3.2f,
       .beam = 1,
       .muzzleGlow = 0.42f,
       .gripRotation = {0.376284f, -0.0664266f, -0.923455f, 0.0350677f}},
      {.displayName = "FLAMER",
       .id = "flamethrower",
       .model = "models/weapons/flame_thrower.glb",
       .fireSound = "audio/flamethrower_fire.mp3",
       .reloadSound = "audio/rifle_reload.mp3",
       .fireSoundVoices = 2,
       .continuousFireSound = 1,
       .magazineSize = 200,
       .rateOfFire = 1000.0f,
       .reloadTime = 2.2f,
       .automatic = 1,
       .notTraced = 1,
       .range = 7.0f,
       .pellets = 1,
       .spread = 0.0f,
       .damage = 8.0f,
       .headMultiplier = 1.0f,
       .limbMultiplier = 1.0f,
       .falloffStart = 500.0f,
       .falloffEnd = 500.0f,
       .falloffFactor = 1.0f,
       .weightClass = "MEDIUM",
       .moveSpeedFactor = 0.94f,
       .holdStyle = 2,
       .canAim = 0,
       .fireVolume = 0.75f,
       .firePitchVariation = 0.0f,
       .gripRotation = {0.24183f, -0.210711f, -0.935162f, 0.150305f}},
      {.displayName = "RPG",
       .id = "rpg",
       .model = "models/weapons/RPG.glb",
       .fireSound = "audio/rpg_shot.wav",
       .reloadSound = "audio/shotgun_reload.mp3",
       .fireSoundVoices = 12,
       .continuousFireSound = 0,
       .magazineSize = 1,
       .rateOfFire = 40.0f,
       .reloadTime = 2.8f,
       .automatic = 0,
       .notTraced = 1,
       .range = 300.0f,
       .pellets = 1,
       .spread = 0.0f,
       .damage = 85.0f,
       .headMultiplier = 1.0f,
       .limbMultiplier = 1.0f,
       .falloffStart = 500.0f,
       .falloffEnd = 500.0f,
       .falloffFactor = 1.0f,
       .weightClass = "HEAVY",
       .moveSpeedFactor = 0.86f,
       .holdStyle = 4,
       .canAim = 0,
       .gripRotation = {0.0036382f, 0.0f, -0.999993f, 0.0f}},
      {.displayName = "SNIPER",
       .id = "sniper",
       .model = "models/weapons/sniper_rifle.glb",
       .fireSound = "audio/sniper_shot.mp3",
       .reloadSound = "audio/rifle_reload.mp3",
       .fireSoundVoices = 12,
       .continuousFireSound = 0,
       .magazineSize = 5,
       .rateOfFire = 45.0f,
       .reloadTime = 2.6f,
       .automatic = 0,
       .notTraced = 0,
       .range = 800.0f,
       .pellets = 1,
       .spread = 0.0f,
       .damage = 60.0f,
       .headMultiplier = 2.0f,
       .limbMultiplier = 0.8f,
       .falloffStart = 500.0f,
       .falloffEnd = 500.0f,
       .falloffFactor = 1.0f,
       .weightClass = "HEAVY",
       .moveSpeedFactor = 0.86f,
       .holdStyle = 1,
       .canAim = 0,
       .scoped = 1,
       .aimedFieldOfView = 20.0f,
       .scopedMoveSpeedFactor = 0.4f,
       .fullChargeTime = 3.3f,
       .gripRotation = {0.376284f, -0.0664266f, -0.923455f, 0.0350677f}},
      {.displayName = "LMG",
       .id = "lmg",
       .model = "models/weapons/LMG.glb",
       .fireSound = "audio/LMG_fire.wav",
       .reloadSound = "audio/rifle_reload.mp3",
       .fireSoundVoices = 12,
       .continuousFireSound = 0,
       .magazineSize = 100,
       .rateOfFire = 700.0f,
       .reloadTime = 4.0f,
       .automatic = 1,
       .notTraced = 0,
       .range = 400.0f,
       .pellets = 1,
       .spread = 1.6f,
       .damage = 16.2f,
       .headMultiplier = 2.0f,
       .limbMultiplier = 0.75f,
       .falloffStart = 500.0f,
       .falloffEnd = 500.0f,
       .falloffFactor = 1.0f,
       .weightClass = "HEAVY",
       .moveSpeedFactor = 0.84f,
       .holdStyle = 3,
       .canAim = 1,
       .gripRotation = {0.409781f, -0.0225092f, -0.911842f, 0.0108817f}},
      {.displayName = "SMG",
       .id = "smg",
       .model = "models/weapons/SMG.glb",
       .fireSound = "audio/SMG_fire.mp3",
       .reloadSound = "audio/rifle_reload.mp3",
       .fireSoundVoices = 12,
       .continuousFireSound = 0,
       .magazineSize = 40,
       .rateOfFire = 950.0f,
       .reloadTime = 1.0f,
       .automatic = 1,
       .notTraced = 0,
       .range = 220.0f,
       .pellets = 1,
       .spread = 0.0f,
       .damage = 7.0f,
       .headMultiplier = 2.0f,
       .limbMultiplier = 0.75f,
       .falloffStart = 30.0f,
       .falloffEnd = 90.0f,
       .falloffFactor = 0.6f,
       .weightClass = "LIGHT",
       .moveSpeedFactor = 1.0f,
       .holdStyle = 1,
       .canAim = 0,
       .gripRotation = {0.376284f, -0.0664266f, -0.923455f, 0.0350677f}},
      {.displayName = "PISTOL",
       .id = "pistol",
       .model = "models/weapons/pistol.glb",
       .fireSound = "audio/pistol_fire.wav",
       .reloadSound = "audio/rifle_reload.mp3",
       .fireSoundVoices = 4,
       .continuousFireSound = 0,
       .magazineSize = 12,
       .rateOfFire = 400.0f,
       .reloadTime = 1.0f,
       .automatic = 0,
       .notTraced = 0,
       .range = 120.0f,
       .pellets = 1,
       .spread = 0.9f,
       .damage = 14.0f,
       .headMultiplier = 2.0f,
       .limbMultiplier = 0.75f,
       .falloffStart = 22.0f,
       .falloffEnd = 70.0f,
       .falloffFactor = 0.55f,
       .weightClass = "LIGHT",
       .moveSpeedFactor = 1.03f,
       .holdStyle = 1,
       .burstCount = 3,
       .burstInterval = 0.07f,
       .burstCooldown = 0.62f,
       .canAim = 0,
       .gripRotation = {0.376284f, -0.0664266f, -0.923455f, 0.0350677f}},
  };
  ShotFeedbackTuning shotFeedback;
  ArmorTuning armors[kArmorCount] = {
      {"BLUE", "blue", "models/characters/character_blue.glb", "standard issue, in blue", 100,
       1.0f, 1.0f, 1.0f, 1.0f},
      {"GREEN", "green", "models/characters/character_green.glb",
       "heavy plate -- slow, and hard to finish", 160, 0.8f, 1.0f, 1.0f, 1.0f},
      {"ORANGE", "orange", "models/characters/character_orange.glb",
       "no plate at all -- fast, sharp, and thin", 80, 1.1f, 1.1f, 1.0f, 1.0f},
      {"PINK", "pink", "models/characters/character_pink.glb",
       "reinforced -- steadier, and slower to feed", 120, 0.9f, 1.1f, 1.2f, 1.0f},
      {"WHITE", "white", "models/characters/character_white.glb",
       "gunner's rig -- reloads fast, fires faster", 100, 0.8f, 1.0f, 0.6666667f, 0.85f},
  };
  // Client presentation values read by the front end.
  float presentationValues[9] = {0.45f, 6.0f, 1.05f, 0.8f, 1.0f, 34.0f, 12.0f, 8.0f, 4.5f};
  const char* rarityNames[kRarityCount] = {"COMMON", "RARE", "LEGENDARY", "OMEGA"};
  float frontEndValue = 0.07f;
  int32_t frontEndCounts[2] = {3, 12};
  float frontEndValues[13] = {1.4f, 0.05f, 0.85f, 0.65f, 1.0f, 1.4f, 12.0f,
                              16.0f, 5.0f, 96.0f, 0.9f, 1.1f, 1.3f};
  // Sounds of front-end and match events, in event order.
  const char* eventSounds[15] = {
      "audio/pickup_coin.wav", "audio/laser_beam.mp3", "audio/woosh.mp3", "audio/footstep_2.mp3",
      "audio/explosion.mp3", "audio/gain_metal.wav", "audio/gain_metal.wav", "audio/upgrade.mp3",
      "audio/upgrade.mp3", "audio/beep.mp3", "audio/upgrade.mp3", "audio/hit.wav",
      "audio/door-open.mp3", "audio/door-close.mp3", "audio/flamethrower_fire.mp3"};
  float eventSoundVolume = 0.8f;
  MatchTuning match;
  NetworkTuning network;
  int32_t keyBindings[kKeyBindingCount] = {87, 83, 65, 68, 32, 340, 341, 49, 50,
                                           51, 81, 70, 82, 69, 258, 90, 256};
  uint8_t shellFlag = 0;               // read by the client shell at start-up

  // Rows with the out-of-range rule: any index outside the table reads row 0.
  const WeaponTuning& Weapon(int i) const;
  const ArmorTuning& Armor(int i) const;
  const PowerTuning& Power(int i) const;

  // A byte-for-byte copy with the account-service flag cleared: a server started from it never
  // redeems tickets or grants coins through the loop-back account service.
  static Tuning CopyForServer(const Tuning& source);
};

static_assert(std::is_trivially_copyable_v<Tuning>, "the tuning record is copied byte for byte");

// The running program's settings. Written only on the main thread at start-up; simulation code
// reads the copy it is given, never this.
extern Tuning g_tuning;

}  // namespace tune
