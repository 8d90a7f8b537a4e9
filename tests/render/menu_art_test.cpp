// The painted title menu without the GL: where the layout lies in a window, which painted button
// the mouse is over, how a press becomes a click, the sparks and the highlight band.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <vector>

#include "render/menu_art.h"
#include "render/next_rand01.h"

namespace menu_art_test {

using render::MenuArt;

std::vector<uint8_t> FullMask() {
    return std::vector<uint8_t>(size_t(render::kHitMaskWidth) * render::kHitMaskHeight, 1);
}

// A mask set over the cell rectangle [x0, x1) x [y0, y1).
std::vector<uint8_t> MaskOver(int x0, int y0, int x1, int y1) {
    std::vector<uint8_t> mask(size_t(render::kHitMaskWidth) * render::kHitMaskHeight, 0);
    for (int y = y0; y < y1; ++y) {
        for (int x = x0; x < x1; ++x) mask[size_t(y) * render::kHitMaskWidth + size_t(x)] = 1;
    }
    return mask;
}

MenuArt::Button ButtonWith(std::vector<uint8_t> mask, int32_t action) {
    MenuArt::Button button;
    button.hitMask = std::move(mask);
    button.action = action;
    return button;
}

TEST(MenuArtLayout, TheLayoutCoversTheWindowCentredAndCroppedOnOneAxis) {
    struct Case {
        int32_t width, height;
        float scale, offsetX, offsetY;
    };
    const Case cases[] = {
        {1280, 1024, 0.9481481f, -270.2222f, 0.0f},
        {1920, 1080, 1.0f, 0.0f, 0.0f},
        {3840, 1080, 2.0f, 0.0f, -540.0f},
        {800, 600, 0.5555556f, -133.3333f, 0.0f},
    };
    for (const Case& c : cases) {
        const render::MenuLayout layout = render::MenuLayoutFor(c.width, c.height);
        EXPECT_NEAR(layout.scale, c.scale, 1e-5f) << c.width << "x" << c.height;
        EXPECT_NEAR(layout.offsetX, c.offsetX, 1e-3f) << c.width << "x" << c.height;
        EXPECT_NEAR(layout.offsetY, c.offsetY, 1e-3f) << c.width << "x" << c.height;
    }
    const render::MenuLayout square = render::MenuLayoutFor(1280, 1024);
    EXPECT_NEAR(1920.0f * square.scale, 1820.4f, 0.05f);
    EXPECT_NEAR(1080.0f * square.scale, 1024.0f, 1e-3f);
}

TEST(MenuArtHitTest, TheMousePicksTheMaskCellUnderItInLayoutPixels) {
    MenuArt art;
    // One set cell: layout pixels 430..431 across and 400..401 down.
    art.buttons.push_back(ButtonWith(MaskOver(215, 200, 216, 201), 1));
    const render::MenuLayout layout = render::MenuLayoutFor(1280, 1024);
    const auto windowX = [&](float layoutX) { return layout.offsetX + layoutX * layout.scale; };
    const auto windowY = [&](float layoutY) { return layout.offsetY + layoutY * layout.scale; };
    EXPECT_EQ(art.HoveredButton(layout, windowX(430.5f), windowY(400.5f)), 0);
    EXPECT_EQ(art.HoveredButton(layout, windowX(431.5f), windowY(401.5f)), 0);
    EXPECT_EQ(art.HoveredButton(layout, windowX(432.5f), windowY(400.5f)), -1);
    EXPECT_EQ(art.HoveredButton(layout, windowX(430.5f), windowY(398.5f)), -1);
}

TEST(MenuArtHitTest, AMouseOutsideTheLayoutHoversNothing) {
    MenuArt art;
    art.buttons.push_back(ButtonWith(FullMask(), 1));
    const float nan = std::numeric_limits<float>::quiet_NaN();
    struct Case {
        int32_t width, height;
        float x, y;
        int32_t hovered;
    };
    const Case cases[] = {
        {1920, 1080, 0.0f, 0.0f, 0},
        {1920, 1080, 1919.9f, 1079.9f, 0},
        {1920, 1080, -0.5f, 500.0f, 0},  // truncated towards zero: still the first column
        {1920, 1080, -1.5f, 500.0f, -1},
        {1920, 1080, 500.0f, -3.0f, -1},
        {1920, 1080, 1920.0f, 500.0f, -1},
        {1920, 1080, 500.0f, 1080.0f, -1},
        {1920, 1080, -1.0e9f, 500.0f, -1},
        {1920, 1080, nan, 500.0f, -1},
        // The layout reaches 540 pixels above this window; the hit test goes by the layout.
        {3840, 1080, 1920.0f, -539.0f, 0},
        {3840, 1080, 1920.0f, -543.0f, -1},
        {0, 0, 0.0f, 0.0f, -1},  // a minimised window has no layout to hover
    };
    for (const Case& c : cases) {
        EXPECT_EQ(art.HoveredButton(render::MenuLayoutFor(c.width, c.height), c.x, c.y), c.hovered)
            << c.width << "x" << c.height << " at " << c.x << ", " << c.y;
    }
}

TEST(MenuArtHitTest, WherePaintedShapesOverlapTheLaterLoadedButtonWins) {
    MenuArt art;
    art.buttons.push_back(ButtonWith(MaskOver(100, 100, 300, 200), 1));
    art.buttons.push_back(ButtonWith(MaskOver(200, 150, 400, 250), 2));
    art.buttons.push_back(ButtonWith(MaskOver(0, 0, 10, 10), 3));
    const render::MenuLayout layout = render::MenuLayoutFor(1920, 1080);
    EXPECT_EQ(art.HoveredButton(layout, 2 * 250.0f, 2 * 175.0f), 1);  // both
    EXPECT_EQ(art.HoveredButton(layout, 2 * 150.0f, 2 * 120.0f), 0);  // the first only
    EXPECT_EQ(art.HoveredButton(layout, 2 * 350.0f, 2 * 240.0f), 1);  // the second only
    EXPECT_EQ(art.HoveredButton(layout, 2 * 500.0f, 2 * 500.0f), -1);
}

TEST(MenuArtClick, APressBecomesAClickOnlyWhenReleasedOverTheSameButton) {
    // Button 0 (action 1) on the left half of the layout, button 1 (action 2) on the right.
    constexpr float kOnFirst = 400.0f, kOnSecond = 1500.0f, kOnNothing = -50.0f;
    struct Frame {
        float x;
        uint8_t down, pressed;
        int32_t action;
    };
    struct Case {
        const char* name;
        std::vector<Frame> frames;
    };
    const Case cases[] = {
        {"press, hold and release on one button",
         {{kOnFirst, 1, 1, 0}, {kOnFirst, 1, 0, 0}, {kOnFirst, 0, 0, 1}, {kOnFirst, 0, 0, 0}}},
        {"press on one, release on another", {{kOnFirst, 1, 1, 0}, {kOnSecond, 1, 0, 0}, {kOnSecond, 0, 0, 0}}},
        {"leave and come back before the release",
         {{kOnSecond, 1, 1, 0}, {kOnNothing, 1, 0, 0}, {kOnSecond, 1, 0, 0}, {kOnSecond, 0, 0, 2}}},
        {"press and release within one frame", {{kOnSecond, 0, 1, 2}, {kOnSecond, 0, 0, 0}}},
        {"press beside the buttons, release on one", {{kOnNothing, 1, 1, 0}, {kOnFirst, 1, 0, 0}, {kOnFirst, 0, 0, 0}}},
        {"a release on another button ends the press",
         {{kOnFirst, 1, 1, 0}, {kOnSecond, 0, 0, 0}, {kOnFirst, 0, 0, 0}}},
    };
    const render::MenuLayout layout = render::MenuLayoutFor(1920, 1080);
    for (const Case& c : cases) {
        MenuArt art;
        art.buttons.push_back(ButtonWith(MaskOver(0, 0, 480, 540), 1));
        art.buttons.push_back(ButtonWith(MaskOver(480, 0, 960, 540), 2));
        for (size_t i = 0; i < c.frames.size(); ++i) {
            const Frame& frame = c.frames[i];
            ui::Input input;
            input.mouseX = frame.x;
            input.mouseY = 500.0f;
            input.mouseDown = frame.down;
            input.mousePressed = frame.pressed;
            const int32_t hovered = art.HoveredButton(layout, input.mouseX, input.mouseY);
            EXPECT_EQ(art.TakeClick(hovered, input), frame.action) << c.name << ", frame " << i;
        }
        EXPECT_EQ(art.pressedButton, -1) << c.name;
    }
}

TEST(MenuArtClick, DrawingBeforeInitDoesNothing) {
    MenuArt art;
    art.buttons.push_back(ButtonWith(FullMask(), 1));
    ui::Input input;
    input.mouseX = 100.0f;
    input.mouseY = 100.0f;
    input.mousePressed = 1;
    // No GL context here: a draw that reached the GL would crash.
    EXPECT_EQ(art.Draw(1920, 1080, input, 0.0f, 0.016f), 0);
    EXPECT_EQ(art.pressedButton, -1);
    EXPECT_TRUE(art.sparks.empty());
}

TEST(MenuArtShine, TheBandCrossesDuringTheFirst1Point4SecondsOfEvery5) {
    struct Case {
        float time;
        float position;
    };
    const Case cases[] = {
        {0.0f, -0.2f}, {0.7f, 0.5f}, {1.39f, 1.19f}, {5.5f, 0.3f}, {1.4f, -1.0f}, {1.41f, -1.0f},
        {3.0f, -1.0f}, {4.99f, -1.0f}, {6.4f, -1.0f}, {9.99f, -1.0f},
    };
    for (const Case& c : cases) EXPECT_NEAR(render::CharacterShinePosition(c.time), c.position, 1e-4f) << c.time;
}

MenuArt ArtWithSites(int count) {
    MenuArt art;
    for (int i = 0; i < count; ++i) art.sparkSites.push_back({1000 + 6 * i, 600});
    return art;
}

TEST(MenuArtSparks, OneSecondSpawns55SparksUpToTheCapOf400) {
    struct Case {
        size_t alive;
        size_t after;
        float accumulatorLeft;
    };
    // At the cap the loop gives up one more whole spark before it stops.
    const Case cases[] = {{0, 55, 0.0f}, {300, 355, 0.0f}, {380, 400, 34.0f}, {400, 400, 54.0f}};
    for (const Case& c : cases) {
        MenuArt art = ArtWithSites(50);
        MenuArt::Spark lasting;
        lasting.life = 100.0f;
        art.sparks.assign(c.alive, lasting);
        art.UpdateSparks(1.0f, 1.0f, 0.0f, 0.0f);
        EXPECT_EQ(art.sparks.size(), c.after) << c.alive << " alive";
        EXPECT_FLOAT_EQ(art.spawnAccumulator, c.accumulatorLeft) << c.alive << " alive";
        EXPECT_EQ(art.vertices.size(), 6 * c.after) << c.alive << " alive";
    }
    MenuArt bare;
    bare.UpdateSparks(1.0f, 1.0f, 0.0f, 0.0f);
    EXPECT_TRUE(bare.sparks.empty()) << "no sites, no sparks";
}

TEST(MenuArtSparks, ASparkTakesItsDrawsInTheOrderSiteVelocityLifeSizeColour) {
    MenuArt art = ArtWithSites(7);
    art.spawnAccumulator = 1.0f;
    uint32_t state = art.randomState;
    float r[6];
    for (float& draw : r) draw = NextRand01(state);
    art.UpdateSparks(0.0f, 1.0f, 0.0f, 0.0f);
    ASSERT_EQ(art.sparks.size(), 1u);
    const MenuArt::Spark& spark = art.sparks[0];
    const MenuArt::SparkSite& site = art.sparkSites[size_t(std::floor(r[0] * 7.0f))];
    EXPECT_EQ(spark.x, float(site.x));
    EXPECT_EQ(spark.y, float(site.y));
    EXPECT_FLOAT_EQ(spark.vx, (r[1] - 0.35f) * 26.0f);
    EXPECT_FLOAT_EQ(spark.vy, -18.0f - r[2] * 42.0f);
    EXPECT_FLOAT_EQ(spark.life, r[3] * 1.7f + 1.1f);
    EXPECT_FLOAT_EQ(spark.size, r[4] * 4.5f + 2.0f);
    EXPECT_EQ(spark.b, r[5] >= 0.25f ? 1.0f : 0.35f);
    EXPECT_EQ(spark.age, 0.0f);
    EXPECT_EQ(art.randomState, state);
}

TEST(MenuArtSparks, ExpiredSparksAreReplacedByTheLastAndTheRestMoveAndSlow) {
    MenuArt art;  // no sites: nothing spawns
    const auto spark = [](float x, float age, float life) {
        MenuArt::Spark s;
        s.x = x;
        s.y = 100.0f;
        s.vx = 10.0f;
        s.vy = -20.0f;
        s.age = age;
        s.life = life;
        s.size = 4.0f;
        return s;
    };
    art.sparks = {spark(1.0f, 0.95f, 1.0f), spark(2.0f, 0.0f, 2.0f), spark(3.0f, 1.95f, 2.0f), spark(4.0f, 0.5f, 2.0f)};
    art.UpdateSparks(0.1f, 2.0f, 10.0f, 20.0f);
    ASSERT_EQ(art.sparks.size(), 2u);
    EXPECT_FLOAT_EQ(art.sparks[0].x, 4.0f + 1.0f) << "the last spark took the first slot";
    EXPECT_FLOAT_EQ(art.sparks[1].x, 2.0f + 1.0f);
    EXPECT_FLOAT_EQ(art.sparks[1].y, 100.0f - 2.0f);
    EXPECT_FLOAT_EQ(art.sparks[1].vx, 10.0f * 0.94f);
    EXPECT_FLOAT_EQ(art.sparks[1].vy, -20.0f * 0.96f);

    // Squares of side size x scale around the scaled position, fading with the square of the life left.
    ASSERT_EQ(art.vertices.size(), 12u);
    const render::MenuArtVertex& topLeft = art.vertices[6];
    const render::MenuArtVertex& bottomRight = art.vertices[8];
    EXPECT_FLOAT_EQ(topLeft.x, 10.0f + 3.0f * 2.0f - 4.0f);
    EXPECT_FLOAT_EQ(topLeft.y, 20.0f + 98.0f * 2.0f - 4.0f);
    EXPECT_FLOAT_EQ(bottomRight.x - topLeft.x, 8.0f);
    EXPECT_FLOAT_EQ(bottomRight.y - topLeft.y, 8.0f);
    EXPECT_FLOAT_EQ(topLeft.a, (1.0f - 0.1f / 2.0f) * (1.0f - 0.1f / 2.0f));
}

TEST(MenuArtQuad, SixVerticesCoverTheRectangleWithTheWholeTexture) {
    MenuArt art;
    art.PushQuad(10.0f, 20.0f, 30.0f, 40.0f, 0.5f, 0.6f, 0.7f, 0.8f);
    ASSERT_EQ(art.vertices.size(), 6u);
    const float expected[6][4] = {{10, 20, 0, 0}, {40, 20, 1, 0}, {40, 60, 1, 1},
                                  {10, 20, 0, 0}, {40, 60, 1, 1}, {10, 60, 0, 1}};
    for (int i = 0; i < 6; ++i) {
        const render::MenuArtVertex& v = art.vertices[size_t(i)];
        EXPECT_EQ(v.x, expected[i][0]) << i;
        EXPECT_EQ(v.y, expected[i][1]) << i;
        EXPECT_EQ(v.u, expected[i][2]) << i;
        EXPECT_EQ(v.v, expected[i][3]) << i;
        EXPECT_EQ(v.a, 0.8f) << i;
    }
}

// An RGBA picture, transparent except for the given alphas.
struct Picture {
    int32_t width, height;
    std::vector<uint8_t> rgba;
    Picture(int32_t w, int32_t h) : width(w), height(h), rgba(size_t(w) * size_t(h) * 4, 0) {}
    void SetAlpha(int32_t x, int32_t y, uint8_t alpha) {
        rgba[(size_t(y) * size_t(width) + size_t(x)) * 4 + 3] = alpha;
    }
};

TEST(MenuArtLayers, TheHitMaskSamplesEverySecondPixelAtAlpha24AndUp) {
    Picture picture(15, 9);
    picture.SetAlpha(2, 2, 24);
    picture.SetAlpha(4, 2, 23);
    picture.SetAlpha(3, 3, 255);  // between samples
    picture.SetAlpha(14, 8, 255);
    const std::vector<uint8_t> mask = render::BuildHitMask(picture.rgba.data(), picture.width, picture.height);
    ASSERT_EQ(mask.size(), size_t(960 * 540));
    std::vector<size_t> set;
    for (size_t i = 0; i < mask.size(); ++i) {
        if (mask[i] != 0) set.push_back(i);
    }
    EXPECT_EQ(set, (std::vector<size_t>{1 * 960 + 1, 4 * 960 + 7}));
}

TEST(MenuArtLayers, SparkSitesAreOpaquePixelsOnTheSixPixelGridRowByRow) {
    Picture picture(19, 13);
    picture.SetAlpha(6, 6, 128);
    picture.SetAlpha(0, 0, 127);
    picture.SetAlpha(12, 0, 200);
    picture.SetAlpha(7, 6, 255);  // off the grid
    picture.SetAlpha(18, 12, 255);
    std::vector<MenuArt::SparkSite> sites{{-1, -1}};
    render::AppendSparkSites(picture.rgba.data(), picture.width, picture.height, sites);
    ASSERT_EQ(sites.size(), 4u);
    EXPECT_EQ(sites[0].x, -1) << "appended after what was there";
    EXPECT_EQ(sites[1].x, 12);
    EXPECT_EQ(sites[1].y, 0);
    EXPECT_EQ(sites[2].x, 6);
    EXPECT_EQ(sites[2].y, 6);
    EXPECT_EQ(sites[3].x, 18);
    EXPECT_EQ(sites[3].y, 12);
}

}  // namespace menu_art_test
