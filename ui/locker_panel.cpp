#include "ui/locker_panel.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "ui/loadout_screen.h"
#include "ui/menu_palette.h"
#include "ui/ui_context.h"

namespace menu {

namespace {

constexpr int32_t kTilesPerRow = 10;
constexpr uint32_t kWornFill = 0xff3a4a2e;   // (46, 74, 58)
constexpr uint32_t kHoverFill = 0xff5a463c;  // (60, 70, 90)
constexpr uint32_t kTileFill = 0xff40322c;   // (44, 50, 64)
constexpr uint32_t kRule = 0xff604e46;
constexpr uint32_t kEmptyBar = 0xff2c221e;
constexpr uint32_t kScrollTrack = 0xff382c28;
constexpr uint32_t kBadgeText = 0xff14100c;
constexpr uint32_t kIconTint = 0xffffffff;
constexpr AccessorySlot kSlotClasses = 3;

struct Group {
    AccessorySlot slot = kSlotNone;  // kSlotNone: the OTHER group
    std::vector<size_t> items;       // indices into the locker's items
};

const AccessoryDef* Entry(const LockerView& locker, int32_t index)
{
    if (locker.catalogue == nullptr || index < 0 || size_t(index) >= locker.catalogue->size()) return nullptr;
    return &(*locker.catalogue)[size_t(index)];
}

// Kept only for a real slot class: an entry of no class cannot be worn anywhere.
AccessorySlot WearableSlot(const LockerView& locker, int32_t index)
{
    const AccessoryDef* def = Entry(locker, index);
    return def != nullptr && def->slot < kSlotClasses ? def->slot : kSlotNone;
}

bool IsWorn(const LoadoutScreenState& state, const std::string& name)
{
    return !name.empty() && std::find(state.worn.begin(), state.worn.end(), name) != state.worn.end();
}

int32_t WornInSlot(const LoadoutScreenState& state, AccessorySlot slot)
{
    int32_t count = 0;
    for (int p = 0; p < kLoadoutPositions; ++p) {
        count += LoadoutPositionSlot(p) == slot && !state.worn[size_t(p)].empty() ? 1 : 0;
    }
    return count;
}

// 1 for the oldest worn position of the class; 0 when not worn there.
int32_t WornOrdinal(const LoadoutScreenState& state, AccessorySlot slot, const std::string& name)
{
    int32_t ordinal = 0;
    for (int p = 0; p < kLoadoutPositions; ++p) {
        if (LoadoutPositionSlot(p) != slot || state.worn[size_t(p)].empty()) continue;
        ++ordinal;
        if (state.worn[size_t(p)] == name) return ordinal;
    }
    return 0;
}

const OwnedAccessory* FindOwned(const LockerView& locker, const std::string& name)
{
    for (const OwnedAccessory& item : locker.items) {
        if (item.name == name) return &item;
    }
    return nullptr;
}

std::vector<Group> GroupItems(const LockerView& locker)
{
    std::vector<Group> groups(kSlotClasses);
    for (AccessorySlot slot = 0; slot < kSlotClasses; ++slot) groups[slot].slot = slot;
    Group other;
    for (size_t i = 0; i < locker.items.size(); ++i) {
        const AccessorySlot slot = WearableSlot(locker, locker.items[i].index);
        (slot < kSlotClasses ? groups[slot] : other).items.push_back(i);
    }
    if (!other.items.empty()) groups.push_back(other);
    return groups;
}

int32_t RowsOf(const Group& group)
{
    return std::max<int32_t>(1, (int32_t(group.items.size()) + kTilesPerRow - 1) / kTilesPerRow);
}

const char* HintFor(const LoadoutScreenState& state, AccessorySlot slot, const std::string& name)
{
    if (IsWorn(state, name)) return "CLICK TO TAKE IT OFF";
    const int32_t positions = CountPositionsInSlot(slot);
    if (WornInSlot(state, slot) < positions) return "CLICK TO WEAR IT";
    return positions == 1 ? "CLICK TO SWAP IT IN" : "CLICK TO SWAP IT FOR THE OLDER ONE";
}

void DrawFooter(ui::Context& ctx, float x, float y, float w, const LockerView& locker,
                const LoadoutScreenState& state, const OwnedAccessory* hovered)
{
    if (hovered != nullptr) {
        const AccessoryDef* def = Entry(locker, hovered->index);
        const AccessorySlot slot = WearableSlot(locker, hovered->index);
        DrawItemCaption(ctx, x, y, slot < kSlotClasses ? def : nullptr,
                        slot < kSlotClasses ? HintFor(state, slot, hovered->name) : "");
        return;
    }
    int32_t worn = 0;
    for (const std::string& name : state.worn) worn += name.empty() ? 0 : 1;
    if (worn > 0) {
        ctx.Label(x, y, "WORN IN THIS LOADOUT", 1.5f, kWhite);
        int32_t entry = 0;
        for (int p = 0; p < kLoadoutPositions; ++p) {
            const std::string& name = state.worn[size_t(p)];
            if (name.empty()) continue;
            const OwnedAccessory* owned = FindOwned(locker, name);
            const AccessoryDef* def = owned != nullptr ? Entry(locker, owned->index) : nullptr;
            char line[160];
            std::snprintf(line, sizeof line, "%s  %s", AccessorySlotLabel(LoadoutPositionSlot(p)),
                          def != nullptr ? def->displayName.c_str() : "UNKNOWN");
            ctx.Label(x + (entry % 2 == 1 ? w / 2.0f : 0.0f), y + 24.0f + float(entry / 2) * 20.0f, line, 1.25f, kGrey);
            ++entry;
        }
    } else if (locker.signedIn == 0) {
        ctx.Label(x, y, "SIGN IN TO KEEP AN INVENTORY", 1.5f, kWhite);
        ctx.Label(x, y + 24.0f, "ACCESSORIES BELONG TO AN ACCOUNT, AND GO WHERE IT GOES", 1.25f, kGrey);
    } else if (locker.loaded == 0) {
        ctx.Label(x, y, "FETCHING YOUR INVENTORY...", 1.5f, kGrey);
    } else if (locker.items.empty()) {
        ctx.Label(x, y, "NOTHING HERE YET", 1.5f, kWhite);
    } else {
        ctx.Label(x, y, "NOTHING WORN", 1.5f, kWhite);
        ctx.Label(x, y + 24.0f, "CLICK AN ITEM TO WEAR IT", 1.25f, kGrey);
    }
}

}  // namespace

LockerView BuildLockerView(const std::vector<net::LockerItem>& items, int32_t capacity, bool signedIn, bool loaded,
                           const AccessoryCatalogue& catalogue, const std::vector<SheetIcon>* icons)
{
    LockerView view;
    view.items.reserve(items.size());
    for (const net::LockerItem& item : items) view.items.push_back({item.id, FindAccessory(catalogue, item.def)});
    view.capacity = capacity;
    view.signedIn = signedIn ? 1 : 0;
    view.loaded = loaded ? 1 : 0;
    view.catalogue = &catalogue;
    view.icons = icons;
    return view;
}

void ToggleWornItem(std::array<std::string, kLoadoutPositions>& positions, AccessorySlot slotClass,
                    const std::string& name, const std::string& empty)
{
    std::vector<std::string*> queue;
    for (int p = 0; p < kLoadoutPositions; ++p) {
        if (LoadoutPositionSlot(p) == slotClass) queue.push_back(&positions[size_t(p)]);
    }
    const size_t n = queue.size();
    if (n == 0 || name == empty) return;
    for (size_t k = 0; k < n; ++k) {
        if (*queue[k] != name) continue;
        for (size_t j = k; j + 1 < n; ++j) *queue[j] = *queue[j + 1];
        *queue[n - 1] = empty;
        return;
    }
    for (size_t k = 0; k < n; ++k) {
        if (*queue[k] == empty) {
            *queue[k] = name;
            return;
        }
    }
    for (size_t j = 0; j + 1 < n; ++j) *queue[j] = *queue[j + 1];
    *queue[n - 1] = name;
}

void DrawItemCaption(ui::Context& ctx, float x, float& y, const AccessoryDef* item, const char* hint)
{
    ctx.Label(x, y, item != nullptr ? item->displayName.c_str() : "UNKNOWN ITEM", 2.0f, kWhite);
    y += 26.0f;
    char line[160];
    if (item != nullptr) {
        std::snprintf(line, sizeof line, "%s ACCESSORY  -  %s", AccessorySlotLabel(item->slot),
                      hint != nullptr ? hint : "");
    } else {
        std::snprintf(line, sizeof line, "%s ACCESSORY  -  %s", "AN", "NOT IN THIS VERSION OF THE GAME");
    }
    ctx.Label(x, y, line, 1.25f, kGrey);
    y += 24.0f;
}

void DrawWrappedName(ui::Context& ctx, const std::string& name, float x, float y, float w, float h, uint32_t colour)
{
    std::vector<std::string> words;
    size_t start = 0;
    while (start <= name.size()) {
        const size_t end = std::min(name.find(' ', start), name.size());
        if (end > start) words.push_back(name.substr(start, end - start));
        start = end + 1;
    }
    if (words.empty()) return;
    size_t widest = 0;
    for (const std::string& word : words) widest = std::max(widest, word.size());
    float scale = 1.0f;
    while (float(widest) * 8.0f * scale > w - 4.0f && scale > 0.5f) scale -= 0.25f;
    const float lineHeight = 10.0f * scale + 2.0f;
    const float firstY = y + (h - float(words.size()) * lineHeight) / 2.0f;
    for (size_t i = 0; i < words.size(); ++i) {
        ctx.LabelCentered(x + w / 2.0f, firstY + float(i) * lineHeight, words[i].c_str(), scale, colour);
    }
}

void DrawLockerPanel(ui::Context& ctx, float x, float y, float w, float h, const LockerView& locker,
                     LoadoutScreenState& state)
{
    const float ts = std::max(0.0f, (w - 36.0f) * 0.1f);
    const float pitch = ts + 4.0f;
    char line[96];
    std::snprintf(line, sizeof line, "%d / %d SLOTS", int32_t(locker.items.size()), std::max(locker.capacity, 1));
    ctx.Label(x + w - render::UiRenderer::MeasureText(line, 1.25f), y, line, 1.25f, kGrey);

    const std::vector<Group> groups = GroupItems(locker);
    const float top = y + 22.0f;
    const float ah = std::max(60.0f, h - 22.0f);
    float content = 0.0f;
    for (const Group& group : groups) content += float(RowsOf(group)) * pitch + 42.0f;
    const float maxScroll = std::max(0.0f, content - ah);
    if (maxScroll > 0.0f) ctx.Label(x, y, "WHEEL TO SCROLL", 1.25f, kGrey);
    if (ctx.MouseIn(x, top, w, ah)) state.scroll -= pitch * ctx.input.wheel;
    state.scroll = std::clamp(std::isfinite(state.scroll) ? state.scroll : 0.0f, 0.0f, maxScroll);

    // Only what lies wholly inside the list area is drawn (and can be pointed at).
    const auto inside = [&](float ey, float eh) { return ey >= top && ey + eh <= top + ah; };
    const OwnedAccessory* hovered = nullptr;
    float cy = top - state.scroll;
    for (const Group& group : groups) {
        const bool real = group.slot < kSlotClasses;
        if (real) {
            std::snprintf(line, sizeof line, "%s  (%d)", AccessorySlotLabel(group.slot), int32_t(group.items.size()));
        } else {
            std::snprintf(line, sizeof line, "OTHER  (%d)", int32_t(group.items.size()));
        }
        if (inside(cy + 6.0f, 14.0f)) ctx.Label(x, cy + 6.0f, line, 1.75f, kWhite);
        if (real && inside(cy + 9.0f, 10.0f)) {
            const int32_t worn = WornInSlot(state, group.slot);
            std::snprintf(line, sizeof line, "WEARING %d OF %d", worn, CountPositionsInSlot(group.slot));
            ctx.Label(x + w - render::UiRenderer::MeasureText(line, 1.25f), cy + 9.0f, line, 1.25f,
                      worn > 0 ? kGreen : kGrey);
        }
        if (inside(cy + 26.0f, 1.0f)) ctx.batch.FillRect(x, cy + 26.0f, w, 1.0f, kRule);
        if (group.items.empty() && inside(cy + 30.0f, ts)) {
            ctx.batch.FillRect(x, cy + 30.0f, w, ts, kEmptyBar);
            ctx.LabelCentered(x + w / 2.0f, cy + 30.0f + (ts - 10.0f) / 2.0f, "NOTHING YET", 1.25f, kGrey);
        }

        for (size_t j = 0; j < group.items.size(); ++j) {
            const OwnedAccessory& item = locker.items[group.items[j]];
            const float tx = x + float(j % kTilesPerRow) * pitch;
            const float ty = cy + 30.0f + float(j / kTilesPerRow) * pitch;
            if (!inside(ty, ts)) continue;
            const bool worn = IsWorn(state, item.name);
            const bool over = ctx.MouseIn(tx, ty, ts, ts);
            ctx.batch.FillRect(tx, ty, ts, ts, worn ? kWornFill : over ? kHoverFill : kTileFill);
            if (worn) ctx.batch.StrokeRect(tx, ty, ts, ts, 2.0f, kGreen);

            const SheetIcon* icon = nullptr;
            if (locker.icons != nullptr && item.index >= 0 && size_t(item.index) < locker.icons->size() &&
                IsDrawable((*locker.icons)[size_t(item.index)])) {
                icon = &(*locker.icons)[size_t(item.index)];
            }
            if (icon != nullptr) {
                ui::DrawSheetIcon(ctx, icon, tx + 3.0f, ty + 3.0f, ts - 6.0f, ts - 6.0f, kIconTint);
            } else {
                const AccessoryDef* def = real ? Entry(locker, item.index) : nullptr;
                DrawWrappedName(ctx, def != nullptr ? def->displayName : "UNKNOWN", tx, ty, ts, ts,
                                worn ? kWhite : kGrey);
            }
            if (real && worn && CountPositionsInSlot(group.slot) > 1) {
                std::snprintf(line, sizeof line, "%d", WornOrdinal(state, group.slot, item.name));
                ctx.batch.FillRect(tx + ts - 14.0f, ty + 2.0f, 12.0f, 13.0f, kGreen);
                ctx.Label(tx + ts - 12.0f, ty + 4.0f, line, 1.0f, kBadgeText);
            }

            if (!over) continue;
            hovered = &item;
            if (!real) continue;
            state.previewAccessory = item.index;
            if (ctx.input.mousePressed == 0) continue;
            // Clicking a second copy of something worn takes the worn one off.
            std::string name = item.name;
            if (!worn) {
                for (const OwnedAccessory& other : locker.items) {
                    if (other.index == item.index && IsWorn(state, other.name)) {
                        name = other.name;
                        break;
                    }
                }
            }
            ToggleWornItem(state.worn, group.slot, name, "");
        }
        cy += float(RowsOf(group)) * pitch + 42.0f;
    }

    if (maxScroll > 0.0f) {
        ctx.batch.FillRect(x + w + 6.0f, top, 3.0f, ah, kScrollTrack);
        const float thumb = ah * ah / content;
        ctx.batch.FillRect(x + w + 6.0f, top + (state.scroll / maxScroll) * (ah - thumb), 3.0f, thumb, kGrey);
    }

    DrawFooter(ctx, x, y + ah + 32.0f, w, locker, state, hovered);
}

}  // namespace menu
