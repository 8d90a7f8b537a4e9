#include "client/options.h"

#include <string_view>

#include "client/leading_number.h"

namespace {

// "%dx%d": each part that reads replaces its field; after the first part that fails nothing more
// is read.
void ReadSize(std::string_view text, Options& options)
{
    size_t pos = 0;
    int32_t width = 0;
    if (!ScanInteger(text, pos, width)) {
        return;
    }
    options.width = width;
    if (pos >= text.size() || text[pos] != 'x') {
        return;
    }
    ++pos;
    int32_t height = 0;
    if (ScanInteger(text, pos, height)) {
        options.height = height;
    }
}

}  // namespace

Options ParseCommandLine(int argc, const char* const* argv)
{
    Options options;
    if (argc < 2 || argv == nullptr) {
        return options;
    }
    for (int i = 1; i < argc; ++i) {
        if (argv[i] == nullptr) {
            continue;
        }
        const std::string_view word = argv[i];
        // Options that take a value consume the next word only when there is one.
        const char* value = i + 1 < argc ? argv[i + 1] : nullptr;
        const std::string_view text = value ? std::string_view(value) : std::string_view();
        auto takes = [&](const char* name) {
            if (word != name || value == nullptr) {
                return false;
            }
            ++i;
            return true;
        };

        if (takes("--capture")) {
            options.capturePath = text;
        } else if (takes("--camera")) {
            options.camera = text;
        } else if (takes("--frames")) {
            options.frames = LeadingInteger(text);
        } else if (word == "--demo") {
            options.demo = true;
        } else if (word == "--rifle") {
            options.rifle = true;
        } else if (word == "--shotgun") {
            options.shotgun = true;
        } else if (takes("--torso")) {
            options.torso = LeadingInteger(text);
        } else if (takes("--bands")) {
            options.bands = LeadingInteger(text);
        } else if (takes("--smooth")) {
            options.smooth = LeadingInteger(text);
        } else if (word == "--server") {
            options.server = true;
        } else if (takes("--connect")) {
            options.connectAddress = text;
        } else if (takes("--bots")) {
            options.bots = LeadingInteger(text);
        } else if (takes("--bot-rooms")) {
            options.botRooms = LeadingInteger(text);
        } else if (word == "--autohost") {
            options.autohost = true;
        } else if (takes("--autohost-delay")) {
            options.autohostDelay = LeadingDecimal(text);
        } else if (takes("--map")) {
            options.map = LeadingInteger(text);
        } else if (takes("--add-bots")) {
            options.addBots = LeadingInteger(text);
        } else if (takes("--bot-skill")) {
            options.botSkill = LeadingInteger(text);
        } else if (takes("--buy")) {
            options.buy = LeadingInteger(text);
        } else if (word == "--buy-all") {
            options.buyAll = true;
        } else if (takes("--hat")) {
            options.hat = text;
        } else if (word == "--own-all") {
            options.ownAll = true;
        } else if (takes("--skin")) {
            options.skin = text;
        } else if (takes("--seconds")) {
            options.seconds = LeadingDecimal(text);
        } else if (word == "--console") {
            options.console = true;
        } else if (takes("--lighting")) {
            options.lighting = text == "fast" ? 0 : 1;
        } else if (word == "--profile-phases") {
            options.profilePhases = true;
        } else if (takes("--size")) {
            ReadSize(text, options);
        } else if (takes("--prepass")) {
            options.prepass = LeadingInteger(text);
        } else if (takes("--texcap")) {
            options.texcap = LeadingInteger(text);
        } else if (takes("--cullcell")) {
            options.cullcell = NarrowToFloat(LeadingDecimal(text));
        } else if (word == "--no-map") {
            options.noMap = true;
        } else if (word == "--map-depth-only") {
            options.mapDepthOnly = true;
        } else if (word == "--profile") {
            options.profile = true;
        } else if (word == "--join") {
            options.join = true;
        } else if (word == "--loadout") {
            options.loadout = true;
        } else if (word == "--shop") {
            options.shop = true;
        } else if (word == "--shop-demo") {
            options.shop = true;
            options.shopDemo = true;
        } else if (takes("--shop-offer")) {
            options.shopOffer = text;
        } else if (takes("--shop-buy")) {
            options.shop = true;
            options.shopDemo = true;
            options.shopBuy = LeadingInteger(text);
        } else if (takes("--armor")) {
            options.armor = LeadingInteger(text);
        } else if (takes("--weapon")) {
            options.weapon = LeadingInteger(text);
        }
    }
    return options;
}
