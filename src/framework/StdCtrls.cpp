#include "framework/StdCtrls.h"

#include <commctrl.h>
#include <oleacc.h>

#include <cctype>
#include <cstring>
#include <optional>
#include <algorithm>
#include <stdexcept>

#include "framework/DpiRules.h"
#include "framework/Graphics.h"

namespace noc {

namespace {
HBRUSH FaceBrush() { return GetSysColorBrush(COLOR_BTNFACE); }
HWND ParentHandle(TControl* parent) { return parent ? parent->Handle() : nullptr; }
// Fills a container's background with the colour of the controls it holds.
LRESULT EraseWithFace(HWND wnd, WPARAM dc) {
    RECT rc;
    GetClientRect(wnd, &rc);
    FillRect(reinterpret_cast<HDC>(dc), &rc, FaceBrush());
    return 1;
}
int NextId() {
    static int id = 1000;
    return ++id;
}

// Making a DC costs more than the little done with it (under Wine each new one also has the display
// driver look up the X resources), so pictures and label measuring keep one each, on the
// user-interface thread.
HDC PictureDc() {
    static UniqueMemDc dc(CreateCompatibleDC(nullptr));
    return dc.get();
}

// Measures as a label's own window DC would: a true-colour surface, so that fonts are made the
// same way, resting with the default font that most labels use.
HDC MeasuringDc() {
    static struct Measuring {
        UniqueMemDc dc{CreateCompatibleDC(nullptr)};
        UniqueBitmap surface;
        Measuring() {
            BITMAPINFO bi{};
            bi.bmiHeader.biSize = sizeof(bi.bmiHeader);
            bi.bmiHeader.biWidth = 1;
            bi.bmiHeader.biHeight = 1;
            bi.bmiHeader.biPlanes = 1;
            bi.bmiHeader.biBitCount = 32;
            void* bits = nullptr;
            surface.reset(CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0));
            SelectObject(dc.get(), surface.get());
            SelectObject(dc.get(), DefaultFont());
        }
    } measuring;
    return measuring.dc.get();
}
}  // namespace

// ---- TPicture ---------------------------------------------------------------------------------

namespace {
HBITMAP LoadBitmapResource(const std::string& name) {
    return static_cast<HBITMAP>(
        LoadImageA(GetModuleHandleA(nullptr), name.c_str(), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
}

// The picture's pixels as premultiplied 0xAARRGGBB, its see-through colour made transparent.
PixelImage PixelsOf(HBITMAP bitmap, int width, int height, bool alpha, COLORREF seeThrough) {
    PixelImage p;
    p.width = width;
    p.height = height;
    p.pixels.resize(static_cast<size_t>(width) * height);
    BITMAPINFO bi{};
    bi.bmiHeader = {sizeof(BITMAPINFOHEADER), width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    GetDIBits(PictureDc(), bitmap, 0, static_cast<UINT>(height), p.pixels.data(), &bi, DIB_RGB_COLORS);
    if (alpha) return p;
    const uint32_t key = (GetRValue(seeThrough) << 16) | (GetGValue(seeThrough) << 8) | GetBValue(seeThrough);
    return KeyedToAlpha(p.pixels.data(), width, height, key);
}

HBITMAP BitmapOf(const PixelImage& p) {
    BITMAPINFO bi{};
    bi.bmiHeader = {sizeof(BITMAPINFOHEADER), p.width, -p.height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (bitmap) std::memcpy(bits, p.pixels.data(), p.pixels.size() * sizeof(uint32_t));
    return bitmap;
}
}  // namespace

std::shared_ptr<const TPicture> TPicture::FromResource(const char* name) {
    HBITMAP bmp = LoadBitmapResource(name);
    if (!bmp) throw std::runtime_error(std::string("Missing picture resource ") + name);
    auto picture = std::make_shared<TPicture>(bmp);
    picture->resource_ = name;
    return picture;
}

namespace {
// An icon resource at `size` pixels, premultiplied: drawn over black and over white, the difference
// tells how much of each pixel the icon covers, with or without an alpha channel of its own.
HBITMAP IconBitmap(const std::string& name, int size) {
    const IconImagePtr icon = TIconImage::FromResource(name.c_str(), size);
    if (!icon) return nullptr;
    PixelImage over[2];
    for (const uint32_t ground : {0xFF000000u, 0xFFFFFFFFu}) {
        const PixelImage plain{size, size, std::vector<uint32_t>(static_cast<size_t>(size) * size, ground)};
        UniqueBitmap canvas(BitmapOf(plain));
        if (!canvas) return nullptr;
        {
            SelectGuard sel(PictureDc(), canvas.get());
            DrawIconEx(PictureDc(), 0, 0, icon->Handle(), size, size, 0, nullptr, DI_NORMAL);
        }
        over[ground & 1] = PixelsOf(canvas.get(), size, size, true, 0);
    }
    PixelImage icon32 = over[0];
    for (size_t i = 0; i < icon32.pixels.size(); ++i) {
        const uint32_t black = over[0].pixels[i], white = over[1].pixels[i];
        const uint32_t shown = (white >> 8 & 0xFF) - (black >> 8 & 0xFF);
        icon32.pixels[i] = (255 - std::min<uint32_t>(shown, 255)) << 24 | (black & 0xFFFFFF);
    }
    return BitmapOf(icon32);
}
}  // namespace

std::shared_ptr<const TPicture> TPicture::FromIcon(const char* name, int size) {
    HBITMAP bitmap = IconBitmap(name, size);
    if (!bitmap) throw std::runtime_error(std::string("Missing icon resource ") + name);
    auto picture = std::make_shared<TPicture>(bitmap);
    picture->resource_ = name;
    picture->icon_ = true;
    return picture;
}

const TPicture& TPicture::AtDpi(int dpi) const {
    if (dpi == kDesignDpi || width_ <= 0 || height_ <= 0) return *this;
    std::unique_ptr<const TPicture>& made = scaled_[dpi];
    if (made) return *made;
    // The drawing at the scale above, where the program has one; else this one.
    const int scale = PictureScaleFor(dpi);
    std::unique_ptr<const TPicture> drawing;
    if (scale != 100 && !resource_.empty())
        if (HBITMAP b = icon_ ? IconBitmap(resource_, width_ * scale / 100)
                              : LoadBitmapResource(resource_ + "_" + std::to_string(scale)))
            drawing = std::make_unique<const TPicture>(b);
    const TPicture& from = drawing ? *drawing : *this;
    const PixelImage pixels =
        Resample(PixelsOf(from.bitmap_.get(), from.width_, from.height_, from.alpha_, from.transparent_),
                 ToDpi(width_, dpi), ToDpi(height_, dpi));
    HBITMAP bitmap = BitmapOf(pixels);
    if (!bitmap) return *this;
    made = std::make_unique<const TPicture>(bitmap);
    return *made;
}

TPicture::TPicture(HBITMAP bitmap) : bitmap_(bitmap) {
    DIBSECTION ds{};
    if (GetObjectA(bitmap, sizeof(ds), &ds) >= static_cast<int>(sizeof(BITMAP))) {
        width_ = ds.dsBm.bmWidth;
        height_ = ds.dsBm.bmHeight;
        alpha_ = ds.dsBm.bmBitsPixel == 32;
    }
    SelectGuard sel(PictureDc(), bitmap);
    transparent_ = GetPixel(PictureDc(), 0, height_ - 1);
}

void TPicture::Draw(HDC dc, int x, int y, bool transparent) const {
    HDC src = PictureDc();
    SelectGuard sel(src, bitmap_.get());
    if (alpha_) {
        BLENDFUNCTION bf{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
        GdiAlphaBlend(dc, x, y, width_, height_, src, 0, 0, width_, height_, bf);
    } else if (transparent) {
        GdiTransparentBlt(dc, x, y, width_, height_, src, 0, 0, width_, height_, transparent_);
    } else {
        BitBlt(dc, x, y, width_, height_, src, 0, 0, SRCCOPY);
    }
}

// ---- containers -------------------------------------------------------------------------------

TPanel::TPanel(TComponent* owner, TControl* parent, int left, int top, int width, int height)
    : TControl(owner, parent) {
    SetBounds(left, top, width, height);
    RegisterOwnClass("TPanel");
    CreateHandle("TPanel", WS_CHILD | WS_CLIPSIBLINGS | WS_CLIPCHILDREN | WS_TABSTOP, WS_EX_CONTROLPARENT,
                 ParentHandle(parent), NextId());
}

TGroupBox::TGroupBox(TComponent* owner, TControl* parent, int left, int top, int width, int height)
    : TControl(owner, parent) {
    SetBounds(left, top, width, height);
    CreateHandle("Button", WS_CHILD | WS_CLIPSIBLINGS | BS_GROUPBOX, WS_EX_CONTROLPARENT, ParentHandle(parent),
                 NextId());
}

LRESULT TGroupBox::WndProc(UINT msg, WPARAM wp, LPARAM lp) {
    // A group box draws only its frame and caption; it holds controls here, so it fills its
    // background itself.
    if (msg == WM_ERASEBKGND) return EraseWithFace(handle_, wp);
    return TControl::WndProc(msg, wp, lp);
}

TTabPanel::TTabPanel(TComponent* owner, TControl* parent, int left, int top, int width, int height)
    : TControl(owner, parent) {
    SetBounds(left, top, width, height);
    CreateHandle(WC_TABCONTROLA, WS_CHILD | WS_CLIPSIBLINGS | WS_CLIPCHILDREN, WS_EX_CONTROLPARENT,
                 ParentHandle(parent), NextId());
    SetAccessibleRole(ROLE_SYSTEM_PROPERTYPAGE);
}

LRESULT TTabPanel::WndProc(UINT msg, WPARAM wp, LPARAM lp) {
    // A page without tabs: a raised frame around a face of the colour of the controls it holds.
    if (msg == WM_ERASEBKGND) return EraseWithFace(handle_, wp);
    if (msg == WM_PAINT) {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(handle_, &ps);
        RECT rc;
        GetClientRect(handle_, &rc);
        FillRect(dc, &rc, FaceBrush());
        DrawEdge(dc, &rc, EDGE_RAISED, BF_RECT);
        EndPaint(handle_, &ps);
        return 0;
    }
    return TControl::WndProc(msg, wp, lp);
}

// ---- TLabel -----------------------------------------------------------------------------------

TLabel::TLabel(TComponent* owner, TControl* parent, int left, int top, const std::string& caption)
    : TControl(owner, parent) {
    SetBounds(left, top, 1, 13);
    CreateHandle("Static", WS_CHILD | SS_NOTIFY | SS_NOPREFIX | SS_LEFT, 0, ParentHandle(parent), NextId());
    caption_ = caption;
    TControl::SetCaption(caption);
    AdjustSize();  // an empty caption too: one line high
}

void TLabel::SetCaption(const std::string& text) {
    // The countdown sets its four labels every second, most of them to what they already show.
    if (handle_ && text == caption_) return;
    caption_ = text;
    TControl::SetCaption(text);
    if (autoSize_) AdjustSize();
}

SIZE TLabel::TextExtent() const { return Measure(Font()); }

SIZE TLabel::Measure(HFONT font) const {
    SIZE sz{0, 0};
    HDC dc = MeasuringDc();
    std::optional<SelectGuard> sel;
    if (font != DefaultFont()) sel.emplace(dc, font);
    std::string text = Caption();
    GetTextExtentPoint32A(dc, text.c_str(), static_cast<int>(text.size()), &sz);
    if (text.empty()) {
        TEXTMETRICA tm{};
        GetTextMetricsA(dc, &tm);
        sz.cy = tm.tmHeight;
    }
    return sz;
}

void TLabel::AdjustSize() {
    // The design's size, from the text at 96 dpi; at another scale the text measured there may
    // need a little more than the scaled size.
    const SIZE sz = TextExtent();
    const SIZE least = Dpi() == kDesignDpi ? SIZE{0, 0} : Measure(DeviceFont());
    // The countdown rewrites its labels every second, mostly at the same size: no move for that.
    if (sz.cx == width_ && sz.cy == height_ && least.cx == deviceMin_.cx && least.cy == deviceMin_.cy) return;
    deviceMin_ = least;
    SetBounds(left_, top_, sz.cx, sz.cy);
}

void TLabel::SetAutoSize(bool autoSize) {
    autoSize_ = autoSize;
    if (autoSize_) {
        AdjustSize();
    } else {
        deviceMin_ = {0, 0};
    }
}

void TLabel::ApplyDpi() {
    if (autoSize_) {
        deviceMin_ = {0, 0};
        AdjustSize();
    }
    TControl::ApplyDpi();
}

void TLabel::SetAlignment(TAlignment a) {
    alignment_ = a;
    LONG_PTR style = GetWindowLongPtrA(handle_, GWL_STYLE) & ~static_cast<LONG_PTR>(SS_TYPEMASK);
    style |= a == taRightJustify ? SS_RIGHT : a == taCenter ? SS_CENTER : SS_LEFT;
    SetWindowLongPtrA(handle_, GWL_STYLE, style);
    Repaint();
}

void TLabel::SetFontColor(TColor c) {
    fontColor_ = c;
    Repaint();
}

void TLabel::SetWordWrap(bool wrap) {
    if (wrap == wordWrap_) return;
    wordWrap_ = wrap;
    Repaint();
}

void TLabel::Paint(HDC dc) {
    RECT rc;
    GetClientRect(handle_, &rc);
    // The colours come as the static gets them for its own drawing: from the parent.
    auto brush = reinterpret_cast<HBRUSH>(SendMessageA(
        GetParent(handle_), WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(handle_)));
    FillRect(dc, &rc, brush ? brush : FaceBrush());
    if (!IsWindowEnabled(handle_)) SetTextColor(dc, GetSysColor(COLOR_GRAYTEXT));
    SetBkMode(dc, TRANSPARENT);
    SelectGuard font(dc, DeviceFont());
    const std::string text = Caption();
    const UINT align = alignment_ == taRightJustify ? DT_RIGHT : alignment_ == taCenter ? DT_CENTER : DT_LEFT;
    DrawTextA(dc, text.c_str(), static_cast<int>(text.size()), &rc,
              DT_SINGLELINE | DT_NOPREFIX | DT_EXPANDTABS | align);
}

bool TLabel::HandleNotify(UINT msg, WPARAM wp, LPARAM, LRESULT& result) {
    if (msg != WM_CTLCOLORSTATIC) return false;
    HDC dc = reinterpret_cast<HDC>(wp);
    SetTextColor(dc, ColorToRGB(fontColor_));
    SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
    result = reinterpret_cast<LRESULT>(FaceBrush());
    return true;
}

// ---- edits ------------------------------------------------------------------------------------

TEdit::TEdit(TComponent* owner, TControl* parent, int left, int top, int width, int height) : TControl(owner, parent) {
    SetBounds(left, top, width, height);
    CreateHandle("Edit", WS_CHILD | WS_TABSTOP | ES_AUTOHSCROLL, WS_EX_CLIENTEDGE, ParentHandle(parent), NextId());
}

void TEdit::SetPasswordChar(char c) {
    SendMessageA(handle_, EM_SETPASSWORDCHAR, static_cast<unsigned char>(c), 0);
    Repaint();
}

void TEdit::SetReadOnly(bool readOnly) { SendMessageA(handle_, EM_SETREADONLY, readOnly, 0); }

TMaskEdit::TMaskEdit(TComponent* owner, TControl* parent, int left, int top, int width, int height)
    : TEdit(owner, parent, left, top, width, height) {
    SetReadOnly(true);
    SetNarrowMargins();
    SetWindowLongPtrA(handle_, GWL_STYLE, GetWindowLongPtrA(handle_, GWL_STYLE) | ES_CENTER);
    SetCaption("0");
}

void TMaskEdit::SetCaption(const std::string& text) {
    // Two digit places: the digits of the text, right-aligned, a missing digit shown as 0.
    std::string digits;
    for (char ch : text)
        if (std::isdigit(static_cast<unsigned char>(ch))) digits += ch;
    if (digits.size() > 2) digits = digits.substr(digits.size() - 2);
    while (digits.size() < 2) digits.insert(digits.begin(), '0');
    TControl::SetCaption(digits);
}

void TMaskEdit::SetNarrowMargins() {
    // Two digits in a narrow field: small margins, centred. A new font brings the font's own
    // margins back, so they are set again after one.
    const int margin = ToDpi(1, Dpi());
    SendMessageA(handle_, EM_SETMARGINS, EC_LEFTMARGIN | EC_RIGHTMARGIN, MAKELONG(margin, margin));
}

void TMaskEdit::ApplyDpi() {
    TEdit::ApplyDpi();
    SetNarrowMargins();
}

void TMaskEdit::SetArrows(TUpDown* arrows) {
    arrows_ = arrows;
    SetAccessibleRole(ROLE_SYSTEM_TEXT);  // answered by the field itself, for its state
}

long TMaskEdit::AccessibleState(long classState) const {
    return arrows_ ? classState & ~static_cast<long>(STATE_SYSTEM_READONLY) : classState;
}

LRESULT TMaskEdit::WndProc(UINT msg, WPARAM wp, LPARAM lp) {
    if (arrows_ && msg == WM_CHAR && wp >= ' ') {
        if (wp >= '0' && wp <= '9') OnDigit(this, static_cast<int>(wp - '0'));
        return 0;
    }
    if (arrows_ && msg == WM_KEYDOWN) {
        const int steps = wp == VK_UP || wp == VK_DOWN ? 1 : wp == VK_PRIOR || wp == VK_NEXT ? 10 : 0;
        if (steps) {
            arrows_->Press(wp == VK_UP || wp == VK_PRIOR ? btNext : btPrev, steps);
            return 0;
        }
    }
    return TEdit::WndProc(msg, wp, lp);
}

bool TMaskEdit::HandleNotify(UINT msg, WPARAM wp, LPARAM, LRESULT& result) {
    // A read-only edit asks for the static colours.
    if (msg != WM_CTLCOLORSTATIC && msg != WM_CTLCOLOREDIT) return false;
    HDC dc = reinterpret_cast<HDC>(wp);
    SetTextColor(dc, ColorToRGB(fontColor_));
    SetBkColor(dc, GetSysColor(COLOR_WINDOW));
    result = reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_WINDOW));
    return true;
}

// ---- buttons ----------------------------------------------------------------------------------

TButton::TButton(TComponent* owner, TControl* parent, int left, int top, int width, int height,
                 const std::string& caption, bool flat)
    : TControl(owner, parent) {
    SetBounds(left, top, width, height);
    CreateHandle("Button", WS_CHILD | WS_TABSTOP | BS_PUSHBUTTON | (flat ? BS_FLAT : 0), 0, ParentHandle(parent),
                 NextId());
    SetCaption(caption);
    SetAccessibleRole(ROLE_SYSTEM_PUSHBUTTON);
    classMarksFocus_ = true;
}

bool TButton::AnswersDialogKey(UINT key, HWND focus) const {
    if (!IsWindowVisible(handle_) || !IsWindowEnabled(handle_)) return false;
    if (key == VK_ESCAPE) return Cancel;
    return key == VK_RETURN && (focus == handle_ || (Default && IsChild(GetParent(handle_), focus)));
}

bool TButton::HandleNotify(UINT msg, WPARAM wp, LPARAM, LRESULT& result) {
    if (msg == WM_COMMAND && HIWORD(wp) == BN_CLICKED) {
        OnClick(this);
        result = 0;
        return true;
    }
    if (msg == WM_CTLCOLORBTN) {
        result = reinterpret_cast<LRESULT>(FaceBrush());
        return true;
    }
    return false;
}

TCheckBox::TCheckBox(TComponent* owner, TControl* parent, int left, int top, int width, int height,
                     const std::string& caption, bool tabStop)
    : TControl(owner, parent) {
    SetBounds(left, top, width, height);
    CreateHandle("Button", WS_CHILD | (tabStop ? WS_TABSTOP : 0) | BS_AUTOCHECKBOX, 0, ParentHandle(parent), NextId());
    SetCaption(caption);
    SetAccessibleRole(ROLE_SYSTEM_CHECKBUTTON);
    classMarksFocus_ = true;
}

bool TCheckBox::Checked() const { return SendMessageA(handle_, BM_GETCHECK, 0, 0) == BST_CHECKED; }

long TCheckBox::AccessibleState(long classState) const {
    return Checked() ? classState | STATE_SYSTEM_CHECKED : classState;
}

LRESULT TCheckBox::WndProc(UINT msg, WPARAM wp, LPARAM lp) {
    if (msg != WM_KEYUP) return TControl::WndProc(msg, wp, lp);
    // The space bar's release changes the state, with the click notification on its way.
    inKeyUp_ = true;
    keyToggled_ = false;
    const LRESULT result = TControl::WndProc(msg, wp, lp);
    inKeyUp_ = false;
    if (keyToggled_) OnKeyToggle(this);
    return result;
}

void TCheckBox::SetChecked(bool checked) {
    SendMessageA(handle_, BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
}

bool TCheckBox::HandleNotify(UINT msg, WPARAM wp, LPARAM, LRESULT& result) {
    if (msg == WM_COMMAND && HIWORD(wp) == BN_CLICKED) {
        keyToggled_ = inKeyUp_;
        OnClick(this);
        result = 0;
        return true;
    }
    if (msg == WM_CTLCOLORSTATIC || msg == WM_CTLCOLORBTN) {
        SetBkColor(reinterpret_cast<HDC>(wp), GetSysColor(COLOR_BTNFACE));
        result = reinterpret_cast<LRESULT>(FaceBrush());
        return true;
    }
    return false;
}

// ---- numbers ----------------------------------------------------------------------------------

TUpDown::TUpDown(TComponent* owner, TControl* parent, int left, int top, int width, int height, int min, int max)
    : TControl(owner, parent), min_(min), max_(max) {
    SetBounds(left, top, width, height);
    CreateHandle(UPDOWN_CLASSA, WS_CHILD | UDS_ARROWKEYS, 0, ParentHandle(parent), NextId());
    // Some systems give the arrows a width of their own as they are made, whatever the scale (Wine:
    // 16 pixels): that width is then the design's, and grows with the window like the rest.
    RECT made{};
    GetWindowRect(handle_, &made);
    const RECT asked = DeviceBounds();
    if (made.right - made.left != asked.right - asked.left) SetBounds(left_, top_, made.right - made.left, height_);
    SendMessageA(handle_, UDM_SETRANGE32, static_cast<WPARAM>(min), max);
    SendMessageA(handle_, UDM_SETPOS32, 0, 0);
    SetAccessibleRole(ROLE_SYSTEM_SPINBUTTON);
}

void TUpDown::Press(TUDBtnType button, int times) {
    for (int i = 0; i < times; ++i) SendMessageA(handle_, WM_KEYDOWN, button == btNext ? VK_UP : VK_DOWN, 0);
}

void TUpDown::SetPosition(int position) {
    position_ = static_cast<int16_t>(position);
    SendMessageA(handle_, UDM_SETPOS32, 0, position_);
}

bool TUpDown::HandleNotify(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
    if (msg == WM_NOTIFY && reinterpret_cast<NMHDR*>(lp)->code == UDN_DELTAPOS) {
        lastButton_ = reinterpret_cast<NMUPDOWN*>(lp)->iDelta > 0 ? btNext : btPrev;
        result = 0;
        return true;
    }
    if ((msg == WM_VSCROLL || msg == WM_HSCROLL) && LOWORD(wp) == SB_THUMBPOSITION) {
        position_ = static_cast<int16_t>(SendMessageA(handle_, UDM_GETPOS32, 0, 0));
        OnArrowClick(this, lastButton_);
        result = 0;
        return true;
    }
    return false;
}

TTrackBar::TTrackBar(TComponent* owner, TControl* parent, int left, int top, int width, int height, int min, int max,
                     int thumbLength)
    : TControl(owner, parent), min_(min), max_(max), thumbLength_(thumbLength) {
    SetBounds(left, top, width, height);
    CreateHandle(TRACKBAR_CLASSA, WS_CHILD | WS_TABSTOP | TBS_HORZ | TBS_NOTICKS | TBS_FIXEDLENGTH, 0,
                 ParentHandle(parent), NextId());
    SendMessageA(handle_, TBM_SETTHUMBLENGTH, static_cast<WPARAM>(ToDpi(thumbLength_, Dpi())), 0);
    SendMessageA(handle_, TBM_SETRANGEMIN, FALSE, min);
    SendMessageA(handle_, TBM_SETRANGEMAX, TRUE, max);
    SetPosition(min);
    SetAccessibleRole(ROLE_SYSTEM_SLIDER);
}

void TTrackBar::ApplyDpi() {
    TControl::ApplyDpi();
    SendMessageA(handle_, TBM_SETTHUMBLENGTH, static_cast<WPARAM>(ToDpi(thumbLength_, Dpi())), 0);
}

void TTrackBar::SetPosition(int position) {
    position_ = position < min_ ? min_ : position > max_ ? max_ : position;
    SendMessageA(handle_, TBM_SETPOS, TRUE, position_);
}

bool TTrackBar::HandleNotify(UINT msg, WPARAM, LPARAM, LRESULT& result) {
    if (msg == WM_HSCROLL || msg == WM_VSCROLL) {
        int pos = static_cast<int>(SendMessageA(handle_, TBM_GETPOS, 0, 0));
        if (pos != position_) {
            position_ = pos;
            OnChange(this);
        }
        result = 0;
        return true;
    }
    if (msg == WM_CTLCOLORSTATIC) {
        result = reinterpret_cast<LRESULT>(FaceBrush());
        return true;
    }
    return false;
}

// ---- graphics ---------------------------------------------------------------------------------

TImage::TImage(TComponent* owner, TControl* parent, int left, int top, int width, int height)
    : TControl(owner, parent) {
    SetBounds(left, top, width, height);
    CreateHandle("Static", WS_CHILD | SS_NOTIFY, 0, ParentHandle(parent), NextId());
}

void TImage::SetPicture(PicturePtr picture) {
    picture_ = std::move(picture);
    InvalidateRect(handle_, nullptr, TRUE);
}

void TImage::Paint(HDC dc) {
    RECT rc;
    GetClientRect(handle_, &rc);
    FillRect(dc, &rc, FaceBrush());
    if (!picture_) return;
    const TPicture& shown = picture_->AtDpi(Dpi());
    int x = 0, y = 0;
    if (Center) {
        x = (rc.right - shown.Width()) / 2;
        y = (rc.bottom - shown.Height()) / 2;
    }
    shown.Draw(dc, x, y, Transparent);
}

TShape::TShape(TComponent* owner, TControl* parent, int left, int top, int width, int height, TShapeType shape)
    : TControl(owner, parent), shape_(shape) {
    SetBounds(left, top, width, height);
    CreateHandle("Static", WS_CHILD | SS_NOTIFY, 0, ParentHandle(parent), NextId());
}

void TShape::SetBrushColor(TColor c) {
    brushColor_ = c;
    InvalidateRect(handle_, nullptr, TRUE);
}

void TShape::Paint(HDC dc) {
    RECT rc;
    GetClientRect(handle_, &rc);
    FillRect(dc, &rc, FaceBrush());
    UniqueBrush brush(CreateSolidBrush(ColorToRGB(brushColor_)));
    SelectGuard b(dc, brush.get());
    SelectGuard p(dc, PenVisible ? GetStockObject(BLACK_PEN) : GetStockObject(NULL_PEN));
    // Without an outline the shape covers the whole box (the null pen leaves one pixel out).
    int extra = PenVisible ? 0 : 1;
    if (shape_ == stEllipse)
        Ellipse(dc, 0, 0, rc.right + extra, rc.bottom + extra);
    else
        Rectangle(dc, 0, 0, rc.right + extra, rc.bottom + extra);
}

}  // namespace noc
