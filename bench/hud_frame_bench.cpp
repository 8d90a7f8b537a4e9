// One busy in-match HUD frame batched on the CPU, as the front-end pass queues it before the
// upload: the scope's iris fully closed, 16 name tags, 64 damage numbers, a few currency gains,
// every panel and the scoreboard's two tables of 16 rows, in the pass's order. No GL: the batch is
// emptied instead of rendered. Reports the quads queued and the allocations per frame (the batch
// keeps its memory, so after the first frame there should be none).
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdint>

#include <glm/gtc/matrix_transform.hpp>

#include "bench/allocation_count.h"
#include "game/tuning.h"
#include "ui/hud_ammo.h"
#include "ui/hud_bounty.h"
#include "ui/hud_charge_meter.h"
#include "ui/hud_health.h"
#include "ui/hud_iris.h"
#include "ui/hud_lives.h"
#include "ui/hud_name_tags.h"
#include "ui/hud_popups.h"
#include "ui/hud_power_slot.h"
#include "ui/scoreboard.h"
#include "ui/sheet_icon.h"
#include "ui/ui_context.h"

namespace {

struct BusyHud {
    ui::Context ctx;
    tune::Tuning tuning;
    glm::mat4 viewProj;
    hud::PopupList<hud::Popup> damage;
    hud::PopupList<hud::Flash> gains;
    SheetIcon icon{1, 4, 4, 256, 256, 1, 2};
    glm::vec3 eye{0.0f, 1.7f, 4.0f};
    hud::ScoreRow ownRows[16];
    hud::ScoreRow otherRows[16];
    size_t uiQuads = 0, spriteQuads = 0;  // of the last frame
    int tagsDrawn = 0;

    BusyHud() {
        viewProj = glm::perspective(glm::radians(70.0f), 16.0f / 9.0f, 0.1f, 500.0f) *
                   glm::lookAt(eye, glm::vec3(0.0f, 1.2f, -20.0f), glm::vec3(0.0f, 1.0f, 0.0f));
        // Lifetimes long enough that the lists stay full however long the run.
        tuning.shotFeedback.damageNumberLifetime = 1e9f;
        for (int i = 0; i < 64; ++i) {
            hud::AddPopup(damage, glm::vec3(float(i % 8) - 3.5f, 1.0f, -4.0f - float(i / 8) * 2.0f), 10 + i, i % 5 == 0,
                          tuning, i % 7 == 0);
            damage.entries.back().age = float(i) * 0.01f;
        }
        for (int i = 0; i < 16; ++i) {
            ownRows[i] = hud::ScoreRow{"PLAYERNAME", 20 - i, i, icon, uint8_t(i == 3)};
            otherRows[i] = hud::ScoreRow{"OTHERNAME", 18 - i, i + 1, icon, 0};
        }
        for (int i = 0; i < 4; ++i) {
            hud::AddFlash(gains, 25 * (i + 1));
            gains.entries.back().lifetime = 1e9f;
        }
    }

    void Frame(float time) {
        ctx.BeginFrame(1920, 1080, ui::Input{});
        tagsDrawn = 0;
        for (int i = 0; i < 16; ++i) {
            const glm::vec3 player(float(i % 4) * 3.0f - 4.5f, 0.0f, -6.0f - float(i / 4) * 5.0f);
            const glm::vec3 anchor = player + glm::vec3(0.0f, hud::kNameTagSettings.headHeight, 0.0f);
            tagsDrawn += hud::DrawNameTags(ctx, viewProj, anchor, "PLAYERNAME", i % 2, i % 3,
                                           glm::length(player - eye), hud::kNameTagSettings);
        }
        hud::DrawIris(ctx, 1.0f);
        hud::DrawAmmo(ctx, "RIFLE", 17, 30, true, 0.4f, &icon);
        hud::DrawChargeMeter(ctx, 0.6f, time);
        hud::DrawTimers(ctx, 0, 140, 100, 2, 3, 1.5f, &icon, 4.0f, time);
        hud::DrawPowerSlot(ctx, &icon, "HEAL", 0.3f, true);
        hud::DrawLives(ctx, 2.5f, 2);
        hud::DrawPopups(damage, ctx, viewProj, tuning);
        hud::DrawPopupsB(gains, ctx, viewProj, glm::vec3(0.0f, 1.0f, 0.0f), &icon);
        hud::DrawScoreboard(ctx, hud::kScoreboardLayout, 0, ownRows, otherRows);
        hud::DrawBounty(ctx, 1250, 300, &icon, 0.8f);
        uiQuads = ctx.batch.uiVertices.size() / 6;
        spriteQuads = ctx.batch.spriteVertices.size() / 6;
        // No GL context: what would be uploaded is dropped so that EndFrame renders nothing.
        ctx.batch.uiVertices.clear();
        ctx.batch.spriteVertices.clear();
        ctx.batch.commands.clear();
        ctx.EndFrame();
    }
};

void BM_HudFrame(benchmark::State& state) {
    BusyHud hud;
    hud.Frame(0.0f);
    uint64_t allocations = 0;
    float time = 0.0f;
    for (auto _ : state) {
        time += 1.0f / 60.0f;
        const uint64_t before = AllocationCount();
        hud.Frame(time);
        allocations += AllocationCount() - before;
    }
    state.counters["allocs_per_frame"] = double(allocations) / double(state.iterations());
    state.counters["name_tags"] = double(hud.tagsDrawn);
    state.counters["ui_quads"] = double(hud.uiQuads);
    state.counters["sprite_quads"] = double(hud.spriteQuads);
}
BENCHMARK(BM_HudFrame)->Unit(benchmark::kMicrosecond);

}  // namespace
