// The hits the server reports: their sounds, the flash on the body part hit and the spark at the
// point; zones that are not bodies flash nobody, healing shows nothing here, and flashes fade.
#include <gtest/gtest.h>

#include "client/shot_presentation.h"
#include "shot_scene.h"

namespace hiteventstest {

using Hits = shotscene::HeardShotScene;

TEST_F(Hits, EachZoneSoundsSparksAndFlashesAsItShould)
{
    frame.ownId = 3;
    const struct {
        const char* what;
        int attacker;
        uint8_t victim;
        uint8_t zone;
        int amount;
        bool lethal;
        bool healing;
        bool hitSound;
        bool killSound;
        bool spark;
        int flashedSlot;   // -1 nobody, -2 the own character
    } cases[] = {
        {"an arm of another player", 5, 9, 2, 20, false, false, true, false, true, 9},
        {"the own head", 5, 3, 0, 20, false, false, true, false, true, -2},
        {"a kill by the own shot", 3, 9, 1, 40, true, false, true, true, true, 9},
        {"a kill by somebody else", 5, 9, 1, 40, true, false, true, false, true, 9},
        {"zone 6 is no body", 3, 9, 6, 20, false, false, true, false, true, -1},
        {"zone 7 is no body", 3, 9, 7, 20, false, false, true, false, true, -1},
        {"no damage, no hit sound", 5, 9, 1, 0, false, false, false, false, true, 9},
        {"zones past 7 are ignored", 3, 9, 8, 20, true, false, false, false, false, -1},
        {"healing the own player", 5, 3, 1, 15, false, true, false, false, false, -1},
        {"healing by the own player", 3, 9, 1, 15, false, true, false, false, false, -1},
    };
    for (const auto& c : cases) {
        audiotest::Render(audio, 0.3);  // the last case's sounds play out
        ASSERT_EQ(Playing(sounds.hit), 0);
        ASSERT_EQ(Playing(sounds.kill), 0);
        effects.Clear();
        characters->ownHitFlash.Clear();
        for (HitFlash& flash : characters->hitFlashes) {
            flash.Clear();
        }
        net::HitEventMessage hit;
        hit.attacker = c.attacker;
        hit.victim = c.victim;
        hit.kind = c.zone;
        hit.amount = c.amount;
        hit.lethal = c.lethal;
        hit.healing = c.healing;
        hit.position = glm::vec3(2.0f, 1.0f, -4.0f);
        PresentHits(frame, *characters, {hit});

        EXPECT_EQ(Playing(sounds.hit) > 0, c.hitSound) << c.what;
        EXPECT_EQ(Playing(sounds.kill) > 0, c.killSound) << c.what;
        ASSERT_EQ(effects.particles.size(), c.spark ? 1u : 0u) << c.what;
        if (c.spark) {
            EXPECT_EQ(effects.particles[0].position, hit.position) << c.what;
            EXPECT_EQ(effects.particles[0].colour, glm::vec3(1.0f, 0.32f, 0.24f)) << c.what;
            EXPECT_FLOAT_EQ(effects.particles[0].lifetime, 0.09f) << c.what;
        }
        EXPECT_EQ(characters->ownHitFlash.Any(), c.flashedSlot == -2) << c.what;
        for (int slot = 0; slot < net::kMaxPlayers; ++slot) {
            EXPECT_EQ(characters->hitFlashes[static_cast<size_t>(slot)].Any(), slot == c.flashedSlot)
                << c.what << ", slot " << slot;
        }
    }
}

TEST_F(Hits, FlashesLastTheirLengthAndFadeWithTheFrames)
{
    net::HitEventMessage hit;
    hit.attacker = 5;
    hit.victim = 9;
    hit.kind = kRegionTorso;
    hit.amount = 10;
    PresentHits(frame, *characters, {hit});
    hit.victim = 0;  // the own id
    hit.kind = kRegionHead;
    PresentHits(frame, *characters, {hit});
    EXPECT_FLOAT_EQ(characters->hitFlashes[9].timers[kRegionTorso], 0.22f);
    EXPECT_FLOAT_EQ(characters->ownHitFlash.timers[kRegionHead], 0.22f);

    DecayHitFlashes(*characters, 0.2f);
    EXPECT_TRUE(characters->hitFlashes[9].Any());
    EXPECT_TRUE(characters->ownHitFlash.Any());
    DecayHitFlashes(*characters, 0.05f);
    EXPECT_FALSE(characters->hitFlashes[9].Any());
    EXPECT_FALSE(characters->ownHitFlash.Any());
}

}  // namespace hiteventstest
