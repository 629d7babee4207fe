#include "tray/TextTrayIcon.h"

#include "framework/Application.h"
#include "framework/Controls.h"

namespace noc {

namespace {
constexpr TColor kBtnFace = 0xFF00000F;
constexpr TColor kBlack = 0x00000000;

// Every text icon draws on the user-interface thread, with one memory DC: making one costs more
// than the drawing itself.
HDC DrawingDc() {
    static UniqueMemDc dc(CreateCompatibleDC(nullptr));
    return dc.get();
}

SIZE Extent(HDC dc, const std::string& text) {
    SIZE s{};
    GetTextExtentPoint32A(dc, text.c_str(), static_cast<int>(text.size()), &s);
    return s;
}
}  // namespace

TTextTrayIcon::TTextTrayIcon(TComponent* owner)
    : TNotifyIcon(owner),
      color_(kBtnFace),
      borderColor_(kBlack),
      textBitmap_(kTrayIconSize, kTrayIconSize),
      merged_(kTrayIconSize, kTrayIconSize) {
    font_.OnChange.Set([this](TObject*) { RenderIcon(); });
    options_.OnChange.Set([this](TObject*) { RenderIcon(); });
}

TTextTrayIcon::~TTextTrayIcon() {
    font_.OnChange.Clear();
    options_.OnChange.Clear();
}

void TTextTrayIcon::SetBackgroundIcon(const TIcon& icon) {
    backgroundIcon_.Assign(icon);
    RenderIcon();
}

void TTextTrayIcon::SetText(const std::string& v) {
    text_ = v;
    // The minutes, hours and days come again each second: their picture is sent as it was made.
    if (drawn_.picture && drawn_ == Now()) {
        SetCycleIcons(false);
        Icon().Assign(drawn_.picture);
        return;
    }
    RenderIcon();
}

TTextTrayIcon::Drawing TTextTrayIcon::Now() const {
    return {text_, ColorToRGB(color_), ColorToRGB(font_.Color()), ColorToRGB(borderColor_), Icon().Image()};
}

void TTextTrayIcon::SetColor(TColor v) {
    color_ = v;
    RenderIcon();
}

void TTextTrayIcon::SetBorder(bool v) {
    border_ = v;
    RenderIcon();
}

void TTextTrayIcon::SetBorderColor(TColor v) {
    borderColor_ = v;
    RenderIcon();
}

void TTextTrayIcon::SetIconSize(int px) {
    if (px == size_) return;
    size_ = px;
    textBitmap_ = TPixelBitmap(px, px);
    merged_ = TPixelBitmap(px, px);
    layer_.clear();  // the background is drawn again at the new size
    RenderIcon();
}

void TTextTrayIcon::RenderIcon() {
    SetCycleIcons(false);  // a text icon never animates
    PaintText();
    TIcon result;
    if (!backgroundIcon_.Empty()) {
        MergeWithBackground(result, color_);
    } else {
        if (color_ != kColorNone) transparentColour_ = kColorNone;
        MaskedBitmapToIcon(textBitmap_, result, transparentColour_, &pictures_);
    }
    Icon().Assign(result);  // sends the new picture to the shell
    drawn_ = Now();
}

void TTextTrayIcon::PaintText() {
    // Drawn again in the same bitmap: the fill covers all of it, and every second's text would
    // otherwise make a new one.
    TPixelBitmap& b = textBitmap_;
    const COLORREF fontRgb = ColorToRGB(font_.Color());
    transparentColour_ = TextFillColor(color_, font_.Color(), fontRgb);
    const COLORREF fill = ColorToRGB(transparentColour_);
    {
        HDC dc = DrawingDc();
        SelectGuard bitmap(dc, b.bitmap.get());
        SelectGuard font(dc, font_.Handle());
        SetBkMode(dc, OPAQUE);
        SetBkColor(dc, fill);
        SetTextColor(dc, fontRgb);
        RECT square{0, 0, size_, size_};
        ExtTextOutA(dc, 0, 0, ETO_OPAQUE, &square, "", 0, nullptr);  // the fill

        auto draw = [&](int x, int y, const std::string& line) {
            ExtTextOutA(dc, x, y, ETO_CLIPPED, &square, line.c_str(), static_cast<UINT>(line.size()), nullptr);
        };
        const auto measure = [dc](const std::string& s) {
            const SIZE e = Extent(dc, s);
            return TextExtent{static_cast<int>(e.cx), static_cast<int>(e.cy)};
        };
        for (const PlacedLine& line :
             PlaceText(text_, measure, options_.OffsetX(), options_.OffsetY(), options_.LineDistance(), size_))
            draw(line.x, line.y, line.text);
        if (border_) {
            UniqueBrush frame(CreateSolidBrush(ColorToRGB(borderColor_)));
            FrameRect(dc, &square, frame.get());
        }
    }
}

void TTextTrayIcon::MergeWithBackground(TIcon& result, TColor fill) {
    const COLORREF fontRgb = ColorToRGB(font_.Color());
    const uint32_t mask = PixelOf(ColorToRGB(TextFillColor(fill, font_.Color(), fontRgb)));
    const size_t count = static_cast<size_t>(size_ * size_);
    if (layer_.empty() || layerOf_ != backgroundIcon_.Image() || layerMask_ != mask) {
        // The background with its own transparency over the mask colour: where it is
        // see-through the mask colour stays.
        TPixelBitmap layer(size_, size_);
        layer.Fill(mask);
        {
            HDC dc = DrawingDc();
            SelectGuard bitmap(dc, layer.bitmap.get());
            DrawIconEx(dc, 0, 0, backgroundIcon_.Handle(), size_, size_, 0, nullptr, DI_NORMAL);
        }
        GdiFlush();
        layer_.assign(layer.bits, layer.bits + count);
        layerOf_ = backgroundIcon_.Image();
        layerMask_ = mask;
    }
    GdiFlush();
    // Then the text and border: every pixel of the text bitmap but its fill.
    const uint32_t textFill = PixelOf(ColorToRGB(transparentColour_));
    for (size_t i = 0; i < count; ++i) {
        const uint32_t p = textBitmap_.bits[i] & 0xFFFFFFu;
        merged_.bits[i] = p != textFill ? p : layer_[i];
    }
    result.Assign(pictures_.Get(merged_, mask, true));
}

}  // namespace noc
