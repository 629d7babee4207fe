#include "framework/Graphics.h"

#include <unordered_map>

namespace noc {

namespace {

// FNV-1a, 64 bits.
uint64_t Mix(uint64_t h, const void* data, size_t n) {
    const auto* p = static_cast<const unsigned char*>(data);
    for (size_t i = 0; i < n; ++i) h = (h ^ p[i]) * 0x100000001B3ull;
    return h;
}

// Reading an icon's pixels is dear (under Wine a dozen requests to the server): once a picture.
// Never destroyed: a picture may outlive the statics at the program's end.
std::unordered_map<HICON, uint64_t>& KnownLooks() {
    static auto* looks = new std::unordered_map<HICON, uint64_t>;
    return *looks;
}

uint64_t LookOfPixels(HICON icon) {
    uint64_t h = 0xCBF29CE484222325ull;
    ICONINFO ii{};
    if (!GetIconInfo(icon, &ii)) return Mix(h, &icon, sizeof(icon));
    const UniqueBitmap colour(ii.hbmColor), mask(ii.hbmMask);
    static const UniqueMemDc dc(CreateCompatibleDC(nullptr));
    for (HBITMAP b : {colour.get(), mask.get()}) {
        BITMAP bm{};
        if (!b || !GetObjectA(b, sizeof(bm), &bm)) continue;
        BITMAPINFO bi{};
        bi.bmiHeader = {sizeof(BITMAPINFOHEADER), bm.bmWidth, -bm.bmHeight, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
        std::vector<uint32_t> px(static_cast<size_t>(bm.bmWidth) * bm.bmHeight);
        GetDIBits(dc.get(), b, 0, static_cast<UINT>(bm.bmHeight), px.data(), &bi, DIB_RGB_COLORS);
        h = Mix(Mix(h, &bm.bmWidth, sizeof(bm.bmWidth)), px.data(), px.size() * sizeof(uint32_t));
    }
    return h;
}

}  // namespace

uint64_t IconLook(HICON icon) {
    if (!icon) return 0;
    auto [at, added] = KnownLooks().try_emplace(icon, 0);
    if (added) at->second = LookOfPixels(icon);
    return at->second;
}

void MadeIconLook(HICON icon, const void* pixels, size_t colourBytes, const void* mask, size_t maskBytes) {
    // Marked apart from the looks read back, which hash other bytes.
    const uint64_t made = Mix(0x84222325CBF29CE4ull, "made", 4);
    KnownLooks()[icon] = Mix(Mix(made, pixels, colourBytes), mask, maskBytes);
}

// A handle that goes may come back for another picture.
TIconImage::~TIconImage() { KnownLooks().erase(icon_.get()); }

IconImagePtr TIconImage::FromResource(const char* name, int size) {
    HICON icon = static_cast<HICON>(LoadImageA(GetModuleHandleA(nullptr), name, IMAGE_ICON, size, size, 0));
    if (!icon) return nullptr;
    return std::make_shared<const TIconImage>(icon);
}

void TIcon::Assign(IconImagePtr image) {
    image_ = std::move(image);
    OnChange(this);
}

// ---- font ----------------------------------------------------------------------------------

TFont::TFont() = default;

void TFont::Changed() {
    handle_.reset();
    OnChange(this);
}

void TFont::SetName(const std::string& v) {
    if (v == name_) return;
    name_ = v;
    Changed();
}

void TFont::SetHeight(int v) {
    if (v == height_) return;
    height_ = v;
    Changed();
}

void TFont::SetColor(TColor v) {
    if (v == color_) return;
    color_ = v;
    Changed();
}

void TFont::SetStyle(unsigned v) {
    if (v == style_) return;
    style_ = v;
    Changed();
}

void TFont::SetCharset(int v) {
    if (v == charset_) return;
    charset_ = v;
    Changed();
}

void TFont::Assign(const TFont& other) {
    if (&other == this) return;
    name_ = other.name_;
    height_ = other.height_;
    color_ = other.color_;
    style_ = other.style_;
    charset_ = other.charset_;
    Changed();
}

HFONT TFont::Handle() const {
    if (!handle_) {
        handle_.reset(CreateFontA(height_, 0, 0, 0, (style_ & fsBold) ? FW_BOLD : FW_NORMAL, (style_ & fsItalic) != 0,
                                  (style_ & fsUnderline) != 0, (style_ & fsStrikeOut) != 0, static_cast<BYTE>(charset_),
                                  OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, NONANTIALIASED_QUALITY,
                                  DEFAULT_PITCH | FF_DONTCARE, name_.c_str()));
    }
    return handle_.get();
}

// ---- image list ----------------------------------------------------------------------------

TImageList::TImageList(TComponent* owner, int width, int height) : TComponent(owner), width_(width), height_(height) {}

bool TImageList::AddIconResource(const char* name) {
    resources_.resize(images_.size());
    resources_.push_back(name);
    IconImagePtr image = Load(resources_.size() - 1);
    if (!image) {
        resources_.pop_back();
        return false;
    }
    images_.push_back(std::move(image));
    return true;
}

namespace {
// The icon directory of an icon resource of the program; empty when there is none.
std::string IconDirectory(const std::string& name) {
    const HMODULE module = GetModuleHandleA(nullptr);
    HRSRC found = FindResourceA(module, name.c_str(), MAKEINTRESOURCEA(14));  // RT_GROUP_ICON
    HGLOBAL data = found ? LoadResource(module, found) : nullptr;
    const void* bytes = data ? LockResource(data) : nullptr;
    return bytes ? std::string(static_cast<const char*>(bytes), SizeofResource(module, found)) : std::string();
}
}  // namespace

IconImagePtr TImageList::Load(size_t index) const {
    if (SharePictures) {
        const std::string directory = IconDirectory(resources_[index]);
        for (size_t i = 0; i < index && i < images_.size() && !directory.empty(); ++i)
            if (!resources_[i].empty() && IconDirectory(resources_[i]) == directory) return images_[i];
    }
    return TIconImage::FromResource(resources_[index].c_str(), width_);
}

void TImageList::SetSize(int width, int height) {
    if (width == width_ && height == height_) return;
    width_ = width;
    height_ = height;
    for (size_t i = 0; i < images_.size(); ++i)
        if (!resources_[i].empty())
            if (IconImagePtr image = Load(i)) images_[i] = std::move(image);
}

IconImagePtr TImageList::Image(int index) const {
    if (index < 0 || index >= Count()) return nullptr;
    return images_[static_cast<size_t>(index)];
}

}  // namespace noc
