#pragma once
// Controls: every control is a real child window whose window text is its caption, of the standard
// Windows class where one exists, so that accessibility tools and UI automation can read and use it.
#include <windows.h>

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <map>
#include <string>
#include <utility>

#include "framework/Color.h"
#include "framework/Component.h"
#include "framework/Handles.h"
#include "framework/WindowHook.h"

namespace noc {

COLORREF ColorToRGB(TColor c);

// A dialog box of this thread that `owner` owns and that is up (a message box, a file or colour
// dialog), or null.
HWND ShownOwnedDialog(HWND owner);

// Screen cursors by number, as the program registers them (0: the arrow).
class TScreen {
public:
    void SetCursor(int index, HCURSOR cursor) { cursors_[index] = cursor; }
    HCURSOR Cursor(int index) const;

private:
    std::map<int, HCURSOR> cursors_;
};
TScreen& Screen();

// The program's user-interface font: 8-point sans serif, its size in pixels at 96 dpi.
HFONT DefaultFont();
// The font like `font` at `dpi`, its height scaled from 96 dpi; `font` itself at 96 dpi. Kept for
// the program's life, one per font and scale.
HFONT FontForDpi(HFONT font, int dpi);
// The dots per inch of the monitor that shows the window (the system's where Windows cannot tell).
int WindowDpi(HWND wnd);

enum TAlignment { taLeftJustify, taRightJustify, taCenter };

class TForm;

class TControl : public TComponent {
public:
    ~TControl() override;

    HWND Handle() const { return handle_; }
    TControl* Parent() const { return parent_; }
    static TControl* FromHandle(HWND wnd);
    // The form that holds the control (itself for a form).
    TForm* ParentForm();

    // Positions and sizes are the design's, in pixels at 96 dpi; the window is laid out at its
    // monitor's scale (a form's own bounds are the screen's).
    int Left() const { return left_; }
    int Top() const { return top_; }
    int Width() const { return width_; }
    int Height() const { return height_; }
    void SetBounds(int left, int top, int width, int height);
    void SetLeft(int v) { SetBounds(v, top_, width_, height_); }
    void SetTop(int v) { SetBounds(left_, v, width_, height_); }
    void SetWidth(int v) { SetBounds(left_, top_, v, height_); }
    void SetHeight(int v) { SetBounds(left_, top_, width_, v); }

    // The control's own visibility; it shows on screen when its parents are visible too.
    bool Visible() const { return visible_; }
    virtual void SetVisible(bool visible);
    void Show() { SetVisible(true); }
    void Hide() { SetVisible(false); }
    void BringToFront();

    bool Enabled() const { return enabled_; }
    virtual void SetEnabled(bool enabled);

    std::string Caption() const;
    virtual void SetCaption(const std::string& text);

    const std::string& Hint() const { return hint_; }
    void SetHint(const std::string& hint);
    bool ShowHint = true;

    int Cursor() const { return cursor_; }
    void SetCursor(int index) { cursor_ = index; }

    void SetFocus();
    // Whether Tab stops on the control.
    bool TabStop() const;
    void SetTabStop(bool tabStop);
    // A control off Tab's way, reached from this one with the down or right arrow (and back with
    // the up or left arrow), as the members of a group are.
    void SetArrowNeighbour(TControl* next);
    void Repaint();
    // The control's dialog identifier, by which a driver or accessibility tool can find it.
    int ControlId() const;
    void SetControlId(int id);
    HFONT Font() const { return font_ ? font_ : DefaultFont(); }
    void SetFont(HFONT font);
    // The scale the control is shown at: its form's dots per inch.
    int Dpi() const;
    // The font as the window draws with it, at the control's scale.
    HFONT DeviceFont() const { return FontForDpi(Font(), Dpi()); }
    // Lays the window out again at its form's scale: bounds, font, and whatever else it scales.
    virtual void ApplyDpi();

    TNotifyEvent OnClick;
    TMouseEvent OnMouseDown;
    TMouseEvent OnMouseUp;
    // The keyboard's menu key (or Shift+F10) on the control: where a right click does something,
    // the keyboard's way to it.
    TNotifyEvent OnMenuKey;
    TMouseMoveEvent OnMouseMove;
    TNotifyEvent OnMouseEnter;
    TNotifyEvent OnMouseLeave;

    // A control that draws itself and acts on a click (an image): Tab stops on it, it shows the
    // keyboard focus, and the space bar presses and releases it as the left mouse button does at its
    // centre, raising the same events; Enter presses and releases it at once. For an accessibility
    // client it is a button, named by its hint, whose default action is that click.
    bool KeyboardClicks() const { return keyboardClicks_; }
    void SetKeyboardClicks(bool on);

    // What a screen reader is told of the control where its window class says nothing or too
    // little. The name is read at each request (empty: the class's own, the hint for a control
    // without text); the role is a ROLE_SYSTEM_ value (0: the class's own).
    std::string AccessibleName() const;
    void SetAccessibleName(std::function<std::string()> name) { accessibleName_ = std::move(name); }
    void SetAccessibleName(const std::string& name) {
        SetAccessibleName([name] { return name; });
    }
    long AccessibleRole() const { return accessibleRole_; }
    void SetAccessibleRole(long role) { accessibleRole_ = role; }
    // The state bits the control reports, from those its class gives.
    virtual long AccessibleState(long classState) const { return classState; }
    // Whether the control answers for itself rather than leaving it all to its class.
    bool OverridesAccessible() const { return accessibleRole_ != 0 || accessibleName_ || keyboardClicks_; }
    // Tells accessibility clients that the name has changed.
    void AccessibleNameChanged();

    // Enter (VK_RETURN) and Escape (VK_ESCAPE) in the control's form: whether this control answers
    // the key while the keyboard focus is on `focus` (see TForm).
    virtual bool AnswersDialogKey(UINT key, HWND focus) const {
        (void)key;
        (void)focus;
        return false;
    }
    // The click that the keyboard or an accessibility client gives: Enter's.
    void KeyboardClick();
    // The control's focus mark, held back while the user came with the mouse, shows (see TForm).
    void ShowFocusMark();

    // The window procedure of every control; derived classes extend it by overriding.
    virtual LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp);

protected:
    TControl(TComponent* owner, TControl* parent);
    // Creates the native window. Standard classes are hooked; the form class is our own.
    void CreateHandle(const char* className, DWORD style, DWORD exStyle, HWND parentOrOwner, int id);
    LRESULT DefaultProc(UINT msg, WPARAM wp, LPARAM lp);

    // A notification that the parent received from this control (WM_COMMAND, WM_NOTIFY, scrolling,
    // colours). Returns true when handled, with the result in `result`.
    virtual bool HandleNotify(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result);
    // Controls that draw themselves (images, shapes) answer true and paint in Paint().
    virtual bool DrawsItself() const { return false; }
    virtual void Paint(HDC) {}
    // Whether a press and release of the left button over the control raises OnClick from here
    // (buttons and check boxes raise it from their own notification instead).
    virtual bool SynthesizesClick() const { return true; }
    // Whether the window class draws the focus mark itself from its own notice of the focus
    // (buttons and check boxes), rather than by the window's state (WM_QUERYUISTATE).
    bool classMarksFocus_ = false;

    // Window procedure of the program's own window classes (forms, panels).
    static LRESULT CALLBACK OwnClassProc(HWND, UINT, WPARAM, LPARAM);
    static void RegisterOwnClass(const char* className);
    static TShiftState ShiftState(WPARAM keys);

    HWND handle_ = nullptr;
    TWindowHook classHook_;  // on a window of a standard class
    TControl* parent_;
    int left_ = 0, top_ = 0, width_ = 0, height_ = 0;
    bool visible_ = true;
    bool enabled_ = true;
    std::string hint_;
    int cursor_ = 0;
    HFONT font_ = nullptr;  // not owned; null for the default font
    int dpi_ = 96;          // a form's scale; its controls take their form's
    // The least size the window needs at its scale (a label's text), beyond the scaled design size.
    SIZE deviceMin_{0, 0};
    bool mouseInside_ = false;
    bool leftPressed_ = false;

    // The window's rectangle at its scale, in its parent's client pixels.
    RECT DeviceBounds() const;
    // A point of the window's client area in design units.
    int DesignX(LPARAM lp) const;
    int DesignY(LPARAM lp) const;

private:
    // What the form's keyboard focus rules need to see: focus, clicks, the focus mark's state.
    bool DispatchFocus(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result);
    // Whether the keyboard focus is on the control or inside it.
    bool HoldsFocus() const;
    bool DispatchMouse(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result);
    // The keys and focus of a control that the keyboard clicks.
    bool DispatchKeyboardClick(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result);
    void PaintFocus(HDC dc) const;
    POINT Centre() const;
    // The pointer has left the control: raises OnMouseLeave and stops watching for it.
    void MouseLeft();

    bool keyboardClicks_ = false;
    bool spacePressed_ = false;
    TControl* arrowNext_ = nullptr;
    TControl* arrowPrevious_ = nullptr;
    std::function<std::string()> accessibleName_;
    long accessibleRole_ = 0;
};

// Puts sibling controls at the top of their parent in this order: the order in which Tab visits
// them, and where two overlap the one named first covers the other.
void StackInOrder(std::initializer_list<TControl*> controls);

// A top-level window. Forms are owned by the application window and are hidden until shown.
class TForm : public TControl {
public:
    TForm(TComponent* owner, const char* className);
    ~TForm() override;

    int ClientWidth() const;
    int ClientHeight() const;
    // The client area's size, in design units: laid out at the form's scale, kept there when the
    // scale changes.
    void SetClientSize(int width, int height);
    void CenterOnScreen();

    void SetVisible(bool visible) override;
    // Minimised or not.
    void SetMinimized(bool minimized);
    bool Minimized() const;

    // Asks to close: OnCloseQuery decides; when it agrees OnClose runs and the form is hidden
    // (the main form's close also ends the application).
    void Close();
    bool CloseQuery();

    TNotifyEvent OnCreate;
    TCloseQueryEvent OnCloseQuery;
    TCloseEvent OnClose;

    // Tooltips for the form's controls (created on first use).
    void UpdateHint(TControl* control);

    // The control that answers Enter or Escape now: for Enter the focused control when it answers
    // it (a button), else the first other control that does (the default button of a container
    // holding the focus); for Escape the first that does (the cancel button). Null when none does.
    TControl* DialogKeyTarget(UINT key) const;

    // The keyboard focus, after the window came forward or what held it went away or was disabled:
    // it stays on a shown and enabled control of the window; else it goes to FocusTarget(), or to
    // the window itself when there is none. The target's mark shows when the user reached the
    // window with the keyboard; from the mouse it shows from the next key on.
    void SettleFocus();
    // The same once the handler that hid or disabled the control has run (posted).
    void SettleFocusLater();
    // The control FocusTarget() gives by default: the last one clicked or focused, unless the
    // program names another (the one that opened a panel now closed).
    void SetReturnFocus(TControl* control);
    // The control whose focus mark is held back, as the user came with the mouse, or null.
    HWND QuietFocus() const { return quietFocus_; }
    // A key was pressed in the window: the mark held back shows.
    void ShowFocusMarks();

    LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp) override;

protected:
    // Where SettleFocus puts the keyboard: the return focus while it can take it, else none.
    virtual TControl* FocusTarget();
    // Whether a control can take the keyboard: shown on screen, enabled, a Tab stop.
    static bool CanTakeFocus(const TControl* control);
    // Creates the window with the given styles: called by the derived form's constructor.
    void CreateFormWindow(DWORD style, DWORD exStyle);
    // Runs the OnCreate handler; a failure goes to the general error report.
    void DoCreate();

private:
    void EnsureTooltip();
    // Moved to a monitor of another scale: every control laid out again, the window resized around
    // its client area at the place the system suggests.
    void DpiChanged(int dpi, const RECT& suggested);
    // The window rectangle whose client area has that size in pixels, at (left, top).
    void FitClientArea(int left, int top, int width, int height);

    std::string className_;
    SIZE designClient_{0, 0};
    UniqueWindow tooltip_;
    UniqueBrush background_;
    // Windows, not controls: either may be destroyed before the form.
    HWND returnFocus_ = nullptr;
    HWND quietFocus_ = nullptr;
    bool settlePending_ = false;
};

}  // namespace noc
