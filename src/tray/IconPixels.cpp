#include "tray/IconPixels.h"

#include <stdexcept>
#include <vector>

namespace noc {

TPixelBitmap::TPixelBitmap(int w, int h) : width(w), height(h) {
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof(bi.bmiHeader);
    bi.bmiHeader.biWidth = w;
    bi.bmiHeader.biHeight = -h;  // top-down
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    bi.bmiHeader.biCompression = BI_RGB;
    void* p = nullptr;
    bitmap.reset(CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &p, nullptr, 0));
    if (!bitmap) throw std::runtime_error("Cannot create a bitmap");
    bits = static_cast<uint32_t*>(p);
}

void TPixelBitmap::Fill(uint32_t rgb) {
    GdiFlush();
    for (int i = 0; i < width * height; ++i) bits[i] = rgb;
}

IconImagePtr IconFromPixels(const TPixelBitmap& picture, uint32_t seeThrough, bool anySeeThrough) {
    GdiFlush();
    const int w = picture.width, h = picture.height;
    TPixelBitmap colour(w, h);
    // The mask: one bit a pixel, rows padded to 16 bits; a set bit is see-through.
    const int stride = ((w + 15) / 16) * 2;
    std::vector<uint8_t> mask(static_cast<size_t>(stride * h), 0);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const uint32_t p = picture.Pixel(x, y);
            if (anySeeThrough && p == seeThrough) {
                colour.bits[y * w + x] = 0;
                mask[static_cast<size_t>(y * stride + x / 8)] |= static_cast<uint8_t>(0x80 >> (x % 8));
            } else {
                colour.bits[y * w + x] = 0xFF000000u | p;  // opaque, for shells that read alpha
            }
        }
    UniqueBitmap maskBitmap(CreateBitmap(w, h, 1, 1, mask.data()));
    ICONINFO ii{};
    ii.fIcon = TRUE;
    ii.hbmColor = colour.bitmap.get();
    ii.hbmMask = maskBitmap.get();
    HICON icon = CreateIconIndirect(&ii);  // copies both bitmaps
    if (!icon) return nullptr;
    // Reading them back to compare pictures would cost a dozen requests to Wine's server.
    MadeIconLook(icon, colour.bits, sizeof(uint32_t) * static_cast<size_t>(w * h), mask.data(), mask.size());
    return std::make_shared<const TIconImage>(icon);
}

IconImagePtr TIconPictureCache::Get(const TPixelBitmap& picture, uint32_t seeThrough, bool anySeeThrough) {
    GdiFlush();
    // The key: the pixels as the icon takes them (colour only), and what is see-through.
    const size_t count = static_cast<size_t>(picture.width) * picture.height;
    std::string key(sizeof(uint32_t) * count, '\0');
    auto* pixels = reinterpret_cast<uint32_t*>(key.data());
    for (size_t i = 0; i < count; ++i) pixels[i] = picture.bits[i] & 0xFFFFFFu;
    key.append(reinterpret_cast<const char*>(&seeThrough), sizeof(seeThrough));
    key.push_back(anySeeThrough ? '1' : '0');
    auto it = index_.find(key);
    if (it != index_.end()) {
        order_.splice(order_.begin(), order_, it->second);
        return it->second->second;
    }
    IconImagePtr icon = IconFromPixels(picture, seeThrough, anySeeThrough);
    if (!icon) return icon;
    order_.emplace_front(std::move(key), icon);
    index_[order_.front().first] = order_.begin();
    while (order_.size() > capacity_) {
        index_.erase(order_.back().first);
        order_.pop_back();
    }
    return icon;
}

}  // namespace noc
