#include "framework/DpiRules.h"

#include <algorithm>
#include <cstdlib>

namespace noc {

namespace {
// value * num / den, rounded half away from zero.
int MulDivRound(int value, int num, int den) {
    const long long p = static_cast<long long>(value) * num;
    const long long q = (std::llabs(p) * 2 + den) / (2LL * den);
    return static_cast<int>(p < 0 ? -q : q);
}
}  // namespace

int ToDpi(int value, int dpi) { return dpi == kDesignDpi ? value : MulDivRound(value, dpi, kDesignDpi); }

int FontHeightAtDpi(int height, int dpi) {
    return dpi == kDesignDpi ? height : static_cast<int>(static_cast<long long>(height) * dpi / kDesignDpi);
}

int FromDpi(int value, int dpi) { return dpi == kDesignDpi || dpi <= 0 ? value : MulDivRound(value, kDesignDpi, dpi); }

int FromDpiUp(int value, int dpi) {
    if (dpi == kDesignDpi || dpi <= 0 || value <= 0) return value;
    return static_cast<int>((static_cast<long long>(value) * kDesignDpi + dpi - 1) / dpi);
}

int PictureScaleFor(int dpi) { return dpi <= kDesignDpi ? 100 : dpi <= kDesignDpi * 3 / 2 ? 150 : 200; }

PixelImage Resample(const PixelImage& source, int width, int height) {
    PixelImage out;
    if (width <= 0 || height <= 0 || source.width <= 0 || source.height <= 0) return out;
    out.width = width;
    out.height = height;
    out.pixels.assign(static_cast<size_t>(width) * height, 0);
    // Each source pixel's share of a target pixel along one axis: the overlap of their spans, the
    // target pixel being `step` source pixels wide.
    const double sx = static_cast<double>(source.width) / width, sy = static_cast<double>(source.height) / height;
    for (int y = 0; y < height; ++y) {
        const double y0 = y * sy, y1 = (y + 1) * sy;
        for (int x = 0; x < width; ++x) {
            const double x0 = x * sx, x1 = (x + 1) * sx;
            double sum[4] = {0, 0, 0, 0};
            for (int j = static_cast<int>(y0); j < source.height && j < y1; ++j) {
                const double wy = std::min<double>(j + 1, y1) - std::max<double>(j, y0);
                for (int i = static_cast<int>(x0); i < source.width && i < x1; ++i) {
                    const double w = wy * (std::min<double>(i + 1, x1) - std::max<double>(i, x0));
                    const uint32_t p = source.pixels[static_cast<size_t>(j) * source.width + i];
                    for (int c = 0; c < 4; ++c) sum[c] += w * ((p >> (8 * c)) & 0xFFu);
                }
            }
            const double area = sx * sy;
            uint32_t p = 0;
            for (int c = 0; c < 4; ++c) {
                const int v = static_cast<int>(sum[c] / area + 0.5);
                p |= static_cast<uint32_t>(std::clamp(v, 0, 255)) << (8 * c);
            }
            out.pixels[static_cast<size_t>(y) * width + x] = p;
        }
    }
    return out;
}

PixelImage KeyedToAlpha(const uint32_t* rgb, int width, int height, uint32_t key) {
    PixelImage out;
    out.width = width;
    out.height = height;
    out.pixels.resize(static_cast<size_t>(width) * height);
    for (size_t i = 0; i < out.pixels.size(); ++i) {
        const uint32_t c = rgb[i] & 0xFFFFFFu;
        out.pixels[i] = c == (key & 0xFFFFFFu) ? 0u : 0xFF000000u | c;
    }
    return out;
}

}  // namespace noc
