#include "framework/Graphics.h"

namespace noc {

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
    IconImagePtr image = TIconImage::FromResource(name, width_);
    if (!image) return false;
    images_.push_back(std::move(image));
    resources_.resize(images_.size());
    resources_.back() = name;
    return true;
}

void TImageList::SetSize(int width, int height) {
    if (width == width_ && height == height_) return;
    width_ = width;
    height_ = height;
    for (size_t i = 0; i < images_.size(); ++i)
        if (!resources_[i].empty())
            if (IconImagePtr image = TIconImage::FromResource(resources_[i].c_str(), width_)) images_[i] = std::move(image);
}

IconImagePtr TImageList::Image(int index) const {
    if (index < 0 || index >= Count()) return nullptr;
    return images_[static_cast<size_t>(index)];
}

}  // namespace noc
