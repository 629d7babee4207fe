#pragma once
// Pictures and fonts that components hold: icon pictures shared by whoever shows them, an icon
// property with its change notice, a font described by its attributes, and a list of icons.
#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "framework/Color.h"
#include "framework/Component.h"
#include "framework/Handles.h"

namespace noc {

// An icon picture. Never changed once made, so several owners can show the same one; the handle
// goes with the last of them.
class TIconImage {
public:
    explicit TIconImage(HICON icon) : icon_(icon) {}
    ~TIconImage();
    TIconImage(const TIconImage&) = delete;
    TIconImage& operator=(const TIconImage&) = delete;
    HICON Handle() const { return icon_.get(); }
    // An icon resource of the program at the given size; null when there is none.
    static std::shared_ptr<const TIconImage> FromResource(const char* name, int size = 16);

private:
    UniqueIcon icon_;
};
using IconImagePtr = std::shared_ptr<const TIconImage>;

// What an icon looks like, as one number made from its pixels and mask: two handles of the same
// picture look alike. Worked out once for each picture of the program while it lives.
uint64_t IconLook(HICON icon);
// The look of an icon just made from these pixels (colour and mask, as given to the system), told
// instead of read back from it: two icons made of the same pixels look alike.
void MadeIconLook(HICON icon, const void* pixels, size_t colourBytes, const void* mask, size_t maskBytes);

// The icon of a component: its picture, and a notice at every assignment.
class TIcon : public TObject {
public:
    HICON Handle() const { return image_ ? image_->Handle() : nullptr; }
    bool Empty() const { return Handle() == nullptr; }
    const IconImagePtr& Image() const { return image_; }
    void Assign(IconImagePtr image);
    void Assign(const TIcon& other) { Assign(other.image_); }
    void Clear() { Assign(IconImagePtr()); }

    TNotifyEvent OnChange;

private:
    IconImagePtr image_;
};

enum TFontStyle : unsigned { fsBold = 1, fsItalic = 2, fsUnderline = 4, fsStrikeOut = 8 };

// A font by its attributes; the system font is made at first use and again after a change.
// Text drawn with it is not smoothed: it goes into pictures whose background is cut out by
// colour, where a smoothed edge would leave a fringe of the background colour.
class TFont : public TObject {
public:
    TFont();  // the framework's default font: Tahoma, 8 points, window text colour

    const std::string& Name() const { return name_; }
    int Height() const { return height_; }
    TColor Color() const { return color_; }
    unsigned Style() const { return style_; }
    int Charset() const { return charset_; }
    void SetName(const std::string& v);
    void SetHeight(int v);
    void SetColor(TColor v);
    void SetStyle(unsigned v);
    void SetCharset(int v);
    // Takes every attribute of `other`, with one change notice.
    void Assign(const TFont& other);

    HFONT Handle() const;

    TNotifyEvent OnChange;

private:
    void Changed();

    std::string name_ = "Tahoma";
    int height_ = -11;
    TColor color_ = 0xFF000008;  // window text
    unsigned style_ = 0;
    int charset_ = DEFAULT_CHARSET;
    mutable UniqueFont handle_;
};

// A list of pictures of one size, loaded from the program's icon resources.
class TImageList : public TComponent {
public:
    explicit TImageList(TComponent* owner, int width = 16, int height = 16);
    int Width() const { return width_; }
    int Height() const { return height_; }
    int Count() const { return static_cast<int>(images_.size()); }
    // Adds the icon resource at the list's size; false when there is none.
    bool AddIconResource(const char* name);
    void Add(IconImagePtr image) {
        images_.push_back(std::move(image));
        resources_.resize(images_.size());
    }
    // Null outside 0..Count() - 1.
    IconImagePtr Image(int index) const;
    // Loads each picture that came from a resource again at the new size; the others stay.
    void SetSize(int width, int height);
    // Resources that hold the same picture (the same icon directory) give one image, so that a
    // frame showing again the picture before it is seen to change nothing.
    bool SharePictures = false;

private:
    IconImagePtr Load(size_t index) const;
    int width_, height_;
    std::vector<IconImagePtr> images_;
    std::vector<std::string> resources_;  // the resource of each picture, or empty
};

}  // namespace noc
