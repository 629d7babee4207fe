#pragma once
// Sizes and pictures at the monitor's scale: the window is designed in pixels at 96 dots per inch.
#include <cstdint>
#include <vector>

namespace noc {

constexpr int kDesignDpi = 96;

// A length of the design at `dpi`, rounded half away from zero as MulDiv rounds.
int ToDpi(int value, int dpi);
// A font's height (or width) of the design at `dpi`, rounded toward zero: a text never grows by more
// than its control, and the design's 8 points stay 8 points (-11 at 96 dpi, -16 at 144).
int FontHeightAtDpi(int height, int dpi);
// A length measured at `dpi`, in design units, rounded up: brought back to `dpi` it covers at least
// what was measured.
int FromDpiUp(int value, int dpi);
// A position at `dpi` in design units, rounded to the nearest.
int FromDpi(int value, int dpi);

// Which of the pictures drawn at 100, 150 and 200 % a picture at `dpi` is made from: the nearest
// that is at least as large, the largest above 200 %.
int PictureScaleFor(int dpi);

// Premultiplied 0xAARRGGBB pixels, rows from the top.
struct PixelImage {
    int width = 0, height = 0;
    std::vector<uint32_t> pixels;
};

// The picture at another size, each new pixel the mean of the area of the old ones it covers:
// smooth when shrinking, sharp-edged when growing.
PixelImage Resample(const PixelImage& source, int width, int height);

// 0x00RRGGBB pixels with a see-through colour as premultiplied ones: that colour transparent, every
// other pixel opaque.
PixelImage KeyedToAlpha(const uint32_t* rgb, int width, int height, uint32_t key);

}  // namespace noc
