#pragma once
// Thin wrappers for the controls the main window holds.
#include <map>
#include <memory>
#include <string>

#include "framework/Controls.h"

namespace noc {

// ---- pictures ---------------------------------------------------------------------------------

// An immutable bitmap shared by the images that show it. 32-bit pictures carry a premultiplied
// alpha channel; the others are drawn with their bottom-left pixel's colour as the see-through one.
class TPicture {
public:
    // A bitmap resource; the same name with "_150" and "_200" holds it drawn at 150 and 200 %.
    static std::shared_ptr<const TPicture> FromResource(const char* name);
    // An icon resource drawn at `size` pixels, with its soft edges; at another scale, the icon's own
    // larger image.
    static std::shared_ptr<const TPicture> FromIcon(const char* name, int size);
    explicit TPicture(HBITMAP bitmap);

    HBITMAP Bitmap() const { return bitmap_.get(); }
    int Width() const { return width_; }
    int Height() const { return height_; }
    bool HasAlpha() const { return alpha_; }
    COLORREF TransparentColor() const { return transparent_; }
    void Draw(HDC dc, int x, int y, bool transparent) const;
    // The picture at `dpi`: itself at 96 dpi; else made, once, from the drawing at the nearest
    // larger scale, shrunk smoothly to the scaled size, with transparency for its see-through colour.
    const TPicture& AtDpi(int dpi) const;

private:
    UniqueBitmap bitmap_;
    std::string resource_;
    bool icon_ = false;  // resource_ names an icon, not a bitmap
    mutable std::map<int, std::unique_ptr<const TPicture>> scaled_;
    int width_ = 0, height_ = 0;
    bool alpha_ = false;
    COLORREF transparent_ = 0;
};
using PicturePtr = std::shared_ptr<const TPicture>;

// ---- containers -------------------------------------------------------------------------------

class TPanel : public TControl {
public:
    TPanel(TComponent* owner, TControl* parent, int left, int top, int width, int height);
};

class TGroupBox : public TControl {
public:
    TGroupBox(TComponent* owner, TControl* parent, int left, int top, int width, int height);
    LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp) override;
};

// A tab panel without tabs: a framed page that holds controls.
class TTabPanel : public TControl {
public:
    TTabPanel(TComponent* owner, TControl* parent, int left, int top, int width, int height);
    LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp) override;
};

// ---- texts ------------------------------------------------------------------------------------

class TLabel : public TControl {
public:
    TLabel(TComponent* owner, TControl* parent, int left, int top, const std::string& caption);
    // Kept here as well as in the window: asking the window costs a round of messages through
    // every hook on it.
    const std::string& Caption() const { return caption_; }
    void SetCaption(const std::string& text) override;
    bool AutoSize() const { return autoSize_; }
    void SetAutoSize(bool autoSize);
    TAlignment Alignment() const { return alignment_; }
    void SetAlignment(TAlignment a);
    TColor FontColor() const { return fontColor_; }
    void SetFontColor(TColor c);
    // With word wrap (as made) the system's static draws the caption and breaks it at blanks where
    // it is wider than the label; without, the label draws it on one line in its alignment, cut
    // off at its edges (right-aligned, the end of a long text shows).
    bool WordWrap() const { return wordWrap_; }
    void SetWordWrap(bool wrap);
    // Width and height of the caption in the label's font.
    SIZE TextExtent() const;
    void SetFont(HFONT font) {
        TControl::SetFont(font);
        if (autoSize_) AdjustSize();
    }
    void ApplyDpi() override;

protected:
    bool HandleNotify(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;
    bool DrawsItself() const override { return !wordWrap_; }
    void Paint(HDC dc) override;

private:
    void AdjustSize();
    SIZE Measure(HFONT font) const;
    bool autoSize_ = true;
    bool wordWrap_ = true;
    TAlignment alignment_ = taLeftJustify;
    TColor fontColor_ = 0xFF000008;  // window text
    std::string caption_;
};

class TEdit : public TControl {
public:
    TEdit(TComponent* owner, TControl* parent, int left, int top, int width, int height);
    std::string Text() const { return Caption(); }
    void SetText(const std::string& text) { SetCaption(text); }
    void SetPasswordChar(char c);
    void SetReadOnly(bool readOnly);
};

class TUpDown;

// A read-only field that shows a number as two digits, a missing digit shown as 0. With arrows of
// its own it takes the keyboard for them: Up and Down are their steps, Page Up and Page Down ten
// steps, each as a click on the arrow; a digit typed raises OnDigit, and nothing else is typed in.
class TMaskEdit : public TEdit {
public:
    TMaskEdit(TComponent* owner, TControl* parent, int left, int top, int width, int height);
    void SetCaption(const std::string& text) override;
    void SetFontColor(TColor c) {
        fontColor_ = c;
        Repaint();
    }
    void SetArrows(TUpDown* arrows);
    void ApplyDpi() override;
    // A field that takes digits is no read-only text for a screen reader.
    long AccessibleState(long classState) const override;
    LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp) override;

    // The digit (0 to 9) typed.
    Event<int> OnDigit;

protected:
    bool HandleNotify(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;

private:
    void SetNarrowMargins();
    TColor fontColor_ = 0xFF000008;
    TUpDown* arrows_ = nullptr;
};

// ---- buttons ----------------------------------------------------------------------------------

class TButton : public TControl {
public:
    TButton(TComponent* owner, TControl* parent, int left, int top, int width, int height, const std::string& caption,
            bool flat = false);
    void Click() { OnClick(this); }

    // Enter clicks the button while it has the focus, and, when it is the default button, while the
    // focus is anywhere else in its container; Escape clicks the cancel button. Only while the
    // button is visible and enabled.
    bool Default = false;
    bool Cancel = false;
    bool AnswersDialogKey(UINT key, HWND focus) const override;

protected:
    bool HandleNotify(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;
    bool SynthesizesClick() const override { return false; }
};
// The flat button of the countdown panel.
using TSpeedButton = TButton;

class TCheckBox : public TControl {
public:
    TCheckBox(TComponent* owner, TControl* parent, int left, int top, int width, int height, const std::string& caption,
              bool tabStop = true);
    bool Checked() const;
    void SetChecked(bool checked);
    long AccessibleState(long classState) const override;
    LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp) override;

    // Raised after the space bar has ticked or unticked the box (a mouse button's release over it
    // raises OnMouseUp).
    TNotifyEvent OnKeyToggle;

protected:
    bool HandleNotify(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;
    bool SynthesizesClick() const override { return false; }

private:
    bool inKeyUp_ = false;
    bool keyToggled_ = false;
};

// ---- numbers ----------------------------------------------------------------------------------

enum TUDBtnType { btNext, btPrev };

// Up/down arrows. The position is a signed 16-bit value kept here; the range only limits what the
// arrows step to.
class TUpDown : public TControl {
public:
    TUpDown(TComponent* owner, TControl* parent, int left, int top, int width, int height, int min, int max);
    int Position() const { return position_; }
    void SetPosition(int position);
    int Min() const { return min_; }
    int Max() const { return max_; }
    // Steps `times` times as the up (btNext) or down arrow key does on the control, which is what
    // a click on that arrow does.
    void Press(TUDBtnType button, int times = 1);

    // Raised after an arrow click has changed the position.
    Event<TUDBtnType> OnArrowClick;

protected:
    bool HandleNotify(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;
    bool SynthesizesClick() const override { return false; }

private:
    int16_t position_ = 0;
    int min_, max_;
    TUDBtnType lastButton_ = btNext;
};

class TTrackBar : public TControl {
public:
    TTrackBar(TComponent* owner, TControl* parent, int left, int top, int width, int height, int min, int max,
              int thumbLength);
    int Position() const { return position_; }
    // Positions outside the range are brought to the nearer end.
    void SetPosition(int position);
    int Min() const { return min_; }
    int Max() const { return max_; }
    void ApplyDpi() override;

    TNotifyEvent OnChange;

protected:
    bool HandleNotify(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;
    bool SynthesizesClick() const override { return false; }

private:
    int position_ = 0;
    int min_, max_;
    int thumbLength_;
};

// ---- graphics ---------------------------------------------------------------------------------

class TImage : public TControl {
public:
    TImage(TComponent* owner, TControl* parent, int left, int top, int width, int height);
    const PicturePtr& Picture() const { return picture_; }
    void SetPicture(PicturePtr picture);
    bool Transparent = true;
    bool Center = false;

protected:
    bool DrawsItself() const override { return true; }
    void Paint(HDC dc) override;

private:
    PicturePtr picture_;
};

enum TShapeType { stRectangle, stEllipse };

class TShape : public TControl {
public:
    TShape(TComponent* owner, TControl* parent, int left, int top, int width, int height, TShapeType shape);
    TColor BrushColor() const { return brushColor_; }
    void SetBrushColor(TColor c);
    bool PenVisible = false;

protected:
    bool DrawsItself() const override { return true; }
    void Paint(HDC dc) override;

private:
    TShapeType shape_;
    TColor brushColor_ = 0x00FFFFFF;
};

}  // namespace noc
