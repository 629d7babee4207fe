#include <doctest/doctest.h>

#include <cstdint>
#include <vector>

#include "framework/DpiRules.h"

using noc::PixelImage;

TEST_CASE("lengths at the monitor's scale") {
    struct Case {
        int value, dpi, scaled;
    } cases[] = {
        {221, 96, 221}, {221, 120, 276}, {221, 144, 332}, {221, 192, 442}, {33, 144, 50}, {1, 144, 2},
        {3, 120, 4},    {-11, 144, -17}, {-11, 120, -14}, {-16, 144, -24}, {-11, 192, -22}, {0, 144, 0},
    };
    for (const Case& c : cases) {
        CAPTURE(c.value);
        CAPTURE(c.dpi);
        CHECK(noc::ToDpi(c.value, c.dpi) == c.scaled);
    }
    SUBCASE("fonts never grow by more than the factor") {
        const Case fonts[] = {{-11, 96, -11}, {-11, 120, -13}, {-11, 144, -16}, {-11, 192, -22},
                              {-16, 144, -24}, {-16, 120, -20}, {0, 144, 0},    {13, 144, 19}};
        for (const Case& c : fonts) {
            CAPTURE(c.value);
            CAPTURE(c.dpi);
            CHECK(noc::FontHeightAtDpi(c.value, c.dpi) == c.scaled);
        }
    }
    SUBCASE("a measured length brought back covers what was measured, by at most a pixel more per 96 dpi") {
        for (int dpi : {96, 120, 144, 168, 192, 240})
            for (int measured = 0; measured < 400; ++measured) {
                const int back = noc::ToDpi(noc::FromDpiUp(measured, dpi), dpi);
                CAPTURE(dpi);
                CAPTURE(measured);
                CHECK(back >= measured);
                CHECK(back - measured <= (dpi + 95) / 96);
            }
    }
    SUBCASE("a position comes back where it was") {
        for (int dpi : {96, 120, 144, 192})
            for (int v = -50; v < 300; ++v) CHECK(noc::FromDpi(noc::ToDpi(v, dpi), dpi) == v);
    }
}

TEST_CASE("the picture a scale is made from") {
    struct Case {
        int dpi, scale;
    } cases[] = {{72, 100}, {96, 100}, {97, 150}, {120, 150}, {144, 150}, {145, 200}, {192, 200}, {288, 200}};
    for (const Case& c : cases) {
        CAPTURE(c.dpi);
        CHECK(noc::PictureScaleFor(c.dpi) == c.scale);
    }
}

TEST_CASE("pictures resized by area") {
    SUBCASE("the same size is the same picture") {
        PixelImage p{2, 2, {0xFF102030u, 0x80402010u, 0u, 0xFFFFFFFFu}};
        CHECK(noc::Resample(p, 2, 2).pixels == p.pixels);
    }
    SUBCASE("halved, each pixel is the mean of four") {
        PixelImage p{2, 2, {0xFF000000u, 0xFF0000FFu, 0x00000000u, 0xFF0000FFu}};
        const PixelImage half = noc::Resample(p, 1, 1);
        REQUIRE(half.pixels.size() == 1);
        CHECK(half.pixels[0] == 0xBF000080u);  // alpha 191.25, blue 127.5: rounded
    }
    SUBCASE("two thirds: pixels on the boundary are shared") {
        // 3 pixels of values 0, 90, 180 into 2: (0 + 90/2) / 1.5 = 30 and (90/2 + 180) / 1.5 = 150.
        PixelImage p{3, 1, {0x00000000u, 0x0000005Au, 0x000000B4u}};
        const PixelImage out = noc::Resample(p, 2, 1);
        CHECK(out.pixels == std::vector<uint32_t>{0x1Eu, 0x96u});
    }
    SUBCASE("an opaque picture stays opaque, a transparent one transparent") {
        PixelImage opaque{5, 5, std::vector<uint32_t>(25, 0xFF336699u)};
        for (uint32_t p : noc::Resample(opaque, 3, 4).pixels) CHECK(p == 0xFF336699u);
        PixelImage clear{6, 6, std::vector<uint32_t>(36, 0u)};
        for (uint32_t p : noc::Resample(clear, 4, 4).pixels) CHECK(p == 0u);
    }
    SUBCASE("no size, no picture") {
        PixelImage p{2, 2, {1, 2, 3, 4}};
        CHECK(noc::Resample(p, 0, 3).pixels.empty());
        CHECK(noc::Resample(PixelImage{}, 3, 3).pixels.empty());
    }
}

TEST_CASE("a see-through colour becomes transparency") {
    const uint32_t rgb[] = {0x000000u, 0x123456u, 0xFF000000u, 0x00FF00u};
    const PixelImage p = noc::KeyedToAlpha(rgb, 2, 2, 0x000000u);
    // What lies above the colour's 24 bits is no part of it.
    CHECK(p.pixels == std::vector<uint32_t>{0u, 0xFF123456u, 0u, 0xFF00FF00u});
}
