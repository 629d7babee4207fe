#pragma once
// Small pictures as plain pixels, and icons made from them with a see-through colour.
#include <windows.h>

#include <cstdint>
#include <list>
#include <string>
#include <unordered_map>
#include <utility>

#include "framework/Graphics.h"
#include "framework/Handles.h"

namespace noc {

// A 32-bit top-down bitmap whose pixels (0x00RRGGBB) can be read and written through `bits`.
struct TPixelBitmap {
    UniqueBitmap bitmap;
    uint32_t* bits = nullptr;
    int width = 0, height = 0;

    TPixelBitmap() = default;
    TPixelBitmap(int w, int h);
    uint32_t Pixel(int x, int y) const { return bits[y * width + x] & 0xFFFFFFu; }
    void Fill(uint32_t rgb);
};

// Pixel value of a COLORREF (0x00BBGGRR) and back.
inline uint32_t PixelOf(COLORREF c) { return ((c & 0xFFu) << 16) | (c & 0xFF00u) | ((c >> 16) & 0xFFu); }
inline COLORREF ColorRefOf(uint32_t p) { return ((p & 0xFFu) << 16) | (p & 0xFF00u) | ((p >> 16) & 0xFFu); }

// An icon of the bitmap's pixels in which every pixel of `seeThrough` (a pixel value) is
// transparent; with `anySeeThrough` false every pixel is opaque. Null when the system refuses.
IconImagePtr IconFromPixels(const TPixelBitmap& picture, uint32_t seeThrough, bool anySeeThrough);

// Icons made from pixels, kept for the pictures that come back. Making an icon is by far the
// dearest step of drawing one (about a millisecond under Wine), and a text icon mostly shows again
// what it showed before: the same minutes for a minute, the sixty seconds in turn. The least
// recently shown go first.
class TIconPictureCache {
public:
    explicit TIconPictureCache(size_t capacity) : capacity_(capacity) {}
    IconImagePtr Get(const TPixelBitmap& picture, uint32_t seeThrough, bool anySeeThrough);
    size_t Size() const { return order_.size(); }

private:
    using Entry = std::pair<std::string, IconImagePtr>;
    size_t capacity_;
    std::list<Entry> order_;  // most recent first
    std::unordered_map<std::string, std::list<Entry>::iterator> index_;
};

}  // namespace noc
