#include "ui/hud_popups.h"

#include <algorithm>
#include <cstdio>

#include "game/tuning.h"
#include "ui/hud_colour.h"
#include "ui/hud_drawing.h"
#include "ui/hud_world_point.h"
#include "ui/sheet_icon.h"
#include "ui/ui_context.h"

namespace hud {

namespace {

constexpr float kPopupJitter[6] = {0.0f, 0.55f, -0.45f, 0.3f, -0.65f, 0.15f};
constexpr float kShortestLifetime = 0.05f;
constexpr float kFlashLifetime = 1.6f;
constexpr float kJitterStep = 34.0f;  // pixels
constexpr float kOnScreenLimit = 1.5f;

template <class Entry>
void Age(PopupList<Entry>& list, float dt) {
    for (Entry& entry : list.entries) entry.age += dt;
    std::erase_if(list.entries, [](const Entry& entry) { return entry.age >= entry.lifetime; });
}

// How far along its life an entry is, 0..1.
float Progress(float age, float lifetime) { return std::clamp(age / lifetime, 0.0f, 1.0f); }

// Eases out: rises fast, settles at 1.
float Rise(float t) { return 1.0f - (1.0f - t) * (1.0f - t); }

uint32_t ColourOf(const float (&rgb)[3], uint8_t alpha) {
    return Rgba(AlphaByte(rgb[0]), AlphaByte(rgb[1]), AlphaByte(rgb[2]), alpha);
}

}  // namespace

void AddPopup(PopupList<Popup>& list, const glm::vec3& position, int32_t amount, bool headshot,
              const tune::Tuning& tuning, bool heal) {
    if (amount <= 0) return;
    if (list.entries.size() >= kMaxPopups) list.entries.erase(list.entries.begin());
    Popup popup;
    popup.x = position.x;
    popup.y = position.y;
    popup.z = position.z;
    // Kept within the cycle so that the counter never overflows over a long session.
    const int32_t slot = ((list.counter % 6) + 6) % 6;
    popup.jitter = kPopupJitter[slot];
    list.counter = (slot + 1) % 6;
    const float lifetime = tuning.shotFeedback.damageNumberLifetime;
    popup.lifetime = lifetime > kShortestLifetime ? lifetime : kShortestLifetime;  // NaN too
    popup.amount = amount;
    popup.headshot = headshot ? 1 : 0;
    popup.heal = heal ? 1 : 0;
    list.entries.push_back(popup);
}

void AgePopups(PopupList<Popup>& list, float dt) { Age(list, dt); }

void DrawPopups(const PopupList<Popup>& list, ui::Context& ctx, const glm::mat4& viewProj,
                const tune::Tuning& tuning) {
    const tune::ShotFeedbackTuning& feedback = tuning.shotFeedback;
    const float textScale = std::max(feedback.damageNumberScale, 0.5f);
    char text[16];
    for (const Popup& popup : list.entries) {
        const float t = Progress(popup.age, popup.lifetime);
        const glm::vec3 point(popup.x, popup.y + Rise(t) * feedback.damageNumberRise, popup.z);
        glm::vec2 screen;
        if (!ProjectToWindow(ctx, viewProj, point, kOnScreenLimit, screen)) continue;
        const float sx = screen.x + popup.jitter * kJitterStep, sy = screen.y;

        const float alpha = t < 0.5f ? 1.0f : 2.0f - 2.0f * t;
        const float shadowAlpha = t < 0.5f ? 0.65f : 1.3f - 1.3f * t;
        const float pop = t < 0.12f ? (0.12f - t) * 2.5f + 1.0f : 1.0f;
        const float scale = textScale * (popup.headshot != 0 ? 1.35f : 1.0f) * pop;

        uint32_t colour;
        if (popup.heal != 0) {
            std::snprintf(text, sizeof text, "+%d", popup.amount);
            colour = Rgba(AlphaByte(0.42f), 255, AlphaByte(0.52f), AlphaByte(alpha));
        } else {
            std::snprintf(text, sizeof text, "%d", popup.amount);
            colour = ColourOf(popup.headshot != 0 ? feedback.headshotNumberColour : feedback.damageNumberColour,
                              AlphaByte(alpha));
        }
        ctx.batch.DrawTextCentered(sx + 2.0f, sy + 2.0f, text, scale, Black(AlphaByte(shadowAlpha)));
        ctx.batch.DrawTextCentered(sx, sy, text, scale, colour);
    }
}

void AddFlash(PopupList<Flash>& list, int32_t amount) {
    if (amount <= 0) return;
    const int32_t slot = ((list.counter % 3) + 3) % 3;
    Flash flash;
    flash.jitter = float(slot - 1) * 0.5f;
    flash.lifetime = kFlashLifetime;
    flash.amount = amount;
    list.entries.push_back(flash);
    list.counter = (slot + 1) % 3;
}

void AgePopupsB(PopupList<Flash>& list, float dt) { Age(list, dt); }

void DrawPopupsB(const PopupList<Flash>& list, ui::Context& ctx, const glm::mat4& viewProj, const glm::vec3& anchor,
                 const SheetIcon* coinIcon) {
    const bool hasIcon = coinIcon != nullptr && IsDrawable(*coinIcon);
    char text[16];
    for (const Flash& flash : list.entries) {
        const float t = Progress(flash.age, flash.lifetime);
        glm::vec2 screen;
        if (!ProjectToWindow(ctx, viewProj, anchor + glm::vec3(0.0f, Rise(t) * 0.55f, 0.0f), kOnScreenLimit,
                             screen)) {
            continue;
        }

        // A short swell as the number appears.
        const float u = t < 0.12f ? 0.12f - t : 0.0f;
        const float scale = 2.1f + 5.25f * u;
        const float halfText = 8.4f + 21.0f * u;
        const float icon = 15.96f + 39.9f * u;
        const float halfIcon = 7.98f + 19.95f * u;
        const float advance = hasIcon ? 20.96f + 39.9f * u : 0.0f;

        const float alpha = t < 0.55f ? 1.0f : 1.0f - (t - 0.55f) / 0.45f;
        const float shadowAlpha = t < 0.55f ? 0.7f : 0.7f - (t - 0.55f) * 1.5556f;

        std::snprintf(text, sizeof text, "+%d", flash.amount);
        const float tw = render::UiRenderer::MeasureText(text, scale);
        const float y = screen.y - halfText;
        const float x = screen.x + flash.jitter * kJitterStep - (advance + tw) / 2.0f;
        ctx.Label(x + 2.0f, y + 2.0f, text, scale, Black(AlphaByte(shadowAlpha)));
        ctx.Label(x, y, text, scale, Gold(AlphaByte(alpha)));
        ui::DrawSheetIcon(ctx, coinIcon, x + tw + 5.0f, y + halfText - halfIcon, icon, icon, White(AlphaByte(alpha)));
    }
}

}  // namespace hud
