#pragma once
// A tray icon whose picture is a short text: drawn in a chosen font into a square of the shell's
// small-icon size (16 x 16 unless told otherwise), laid over a background icon, so the notification area shows the text itself. Every change of text,
// font, colours, border, offsets or background draws it again and refreshes the tray entry.
#include <vector>

#include "framework/Graphics.h"
#include "tray/IconPixels.h"
#include "tray/NotifyIcon.h"
#include "tray/TrayRules.h"

namespace noc {

// Where the text lands: pixels added to each line's horizontal position and to the block's
// vertical one, and extra pixels between lines. A change raises OnChange.
class TOffsetOptions : public TObject {
public:
    int OffsetX() const { return offsetX_; }
    int OffsetY() const { return offsetY_; }
    int LineDistance() const { return lineDistance_; }
    void SetOffsetX(int v) { Set(offsetX_, v); }
    void SetOffsetY(int v) { Set(offsetY_, v); }
    void SetLineDistance(int v) { Set(lineDistance_, v); }

    TNotifyEvent OnChange;

private:
    void Set(int& field, int v) {
        if (field == v) return;
        field = v;
        OnChange(this);
    }
    int offsetX_ = 0, offsetY_ = 0, lineDistance_ = 0;
};

class TTextTrayIcon : public TNotifyIcon {
public:
    explicit TTextTrayIcon(TComponent* owner);
    ~TTextTrayIcon() override;

    // The picture under the text. Assigning copies it and draws; LoadBackgroundIcon only stores
    // it, as the form's description does before the first text.
    const TIcon& BackgroundIcon() const { return backgroundIcon_; }
    void SetBackgroundIcon(const TIcon& icon);
    void LoadBackgroundIcon(IconImagePtr image) {
        backgroundIcon_.Assign(std::move(image));
        drawn_ = {};
    }

    // A carriage return starts a new line. Setting it sends the picture, even for the same text,
    // which in the same colours is not drawn again.
    const std::string& Text() const { return text_; }
    void SetText(const std::string& v);
    // Assigning copies the attributes and draws; any later change of an attribute draws too.
    TFont& Font() { return font_; }
    void SetFont(const TFont& font) { font_.Assign(font); }
    // The square's fill; also chooses the see-through colour.
    TColor Color() const { return color_; }
    void SetColor(TColor v);
    bool Border() const { return border_; }
    void SetBorder(bool v);
    TColor BorderColor() const { return borderColor_; }
    void SetBorderColor(TColor v);
    TOffsetOptions& Options() { return options_; }
    // The square's side in pixels. Setting another draws.
    int IconSize() const { return size_; }
    void SetIconSize(int px);

    // The last drawing of the text, and the colour that fills everything in it that is not text.
    const TPixelBitmap& TextBitmap() const { return textBitmap_; }
    uint32_t TransparentColour() const { return transparentColour_; }

    // Draws the text and makes it the icon's picture.
    void RenderIcon();

protected:
    virtual void PaintText();
    void MergeWithBackground(TIcon& result, TColor fill);

private:
    TIcon backgroundIcon_;
    std::string text_;
    TFont font_;
    TColor color_;
    bool border_ = false;
    TColor borderColor_ = 0;
    TOffsetOptions options_;
    int size_ = kTrayIconSize;
    TPixelBitmap textBitmap_;
    uint32_t transparentColour_ = 0;

    // The background as drawn over its mask colour, kept until either changes.
    IconImagePtr layerOf_;
    uint32_t layerMask_ = 0;
    std::vector<uint32_t> layer_;
    TPixelBitmap merged_;
    TIconPictureCache pictures_{64};  // the sixty seconds, and some

    // What the last drawing was made of besides the attributes that draw at their change: the
    // text, the colours the system's colours stood for, and the picture made.
    struct Drawing {
        std::string text;
        COLORREF fill = 0, font = 0, border = 0;
        IconImagePtr picture;
        bool operator==(const Drawing& o) const {
            return text == o.text && fill == o.fill && font == o.font && border == o.border && picture == o.picture;
        }
    };
    Drawing Now() const;
    Drawing drawn_;
};

}  // namespace noc
