#include "framework/Controls.h"

#include <commctrl.h>
#include <oleacc.h>

#include <map>
#include <stdexcept>
#include <string>
#include <vector>

#include "framework/Accessible.h"
#include "framework/Application.h"
#include "framework/DpiRules.h"
#include "framework/Messages.h"
#include "framework/SystemFunctions.h"
#include "framework/WindowWalk.h"

namespace noc {

namespace {
const char kControlProp[] = "NocControl";
// The timer that watches whether the pointer is still over a control it has entered.
constexpr UINT_PTR kPointerWatch = 0x4E43;
constexpr UINT kPointerWatchMs = 100;
}  // namespace

HWND ShownOwnedDialog(HWND owner) {
    HWND found = nullptr;
    EachThreadWindow(GetCurrentThreadId(), [&](HWND w) {
        char cls[8] = "";
        GetClassNameA(w, cls, sizeof(cls));
        // Dialog boxes only: a hint's tooltip is owned by the window too.
        if (GetWindow(w, GW_OWNER) == owner && IsWindowVisible(w) && lstrcmpA(cls, "#32770") == 0) found = w;
        return !found;
    });
    return found;
}

COLORREF ColorToRGB(TColor c) {
    if ((c & 0xFF000000u) == 0xFF000000u) return GetSysColor(static_cast<int>(c & 0xFFu));
    return static_cast<COLORREF>(c & 0x00FFFFFFu);
}

TScreen& Screen() {
    static TScreen screen;
    return screen;
}

HCURSOR TScreen::Cursor(int index) const {
    auto it = cursors_.find(index);
    if (it != cursors_.end() && it->second) return it->second;
    return LoadCursor(nullptr, IDC_ARROW);
}

HFONT DefaultFont() {
    static HFONT font = CreateFontA(-11, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                                    CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, "Tahoma");
    return font;
}

HFONT FontForDpi(HFONT font, int dpi) {
    if (dpi == kDesignDpi || !font) return font;
    LOGFONTA lf{};
    if (!GetObjectA(font, sizeof(lf), &lf)) return font;
    // By what the font is, not by its handle, which may be made again for another font.
    std::string key(reinterpret_cast<const char*>(&lf), sizeof(lf));
    key += std::to_string(dpi);
    static std::map<std::string, UniqueFont> fonts;
    UniqueFont& scaled = fonts[key];
    if (!scaled) {
        // Rounded toward zero: a text never grows by more than the factor that its control grows by.
        lf.lfHeight = FontHeightAtDpi(lf.lfHeight, dpi);
        lf.lfWidth = FontHeightAtDpi(lf.lfWidth, dpi);
        scaled.reset(CreateFontIndirectA(&lf));
    }
    return scaled ? scaled.get() : font;
}

int WindowDpi(HWND wnd) {
    // Windows 10's per-monitor scale where there is one; before, the system's.
    using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
    static const auto forWindow = User32Function<GetDpiForWindowFn>("GetDpiForWindow");
    if (forWindow && wnd)
        if (const UINT dpi = forWindow(wnd)) return static_cast<int>(dpi);
    HDC screen = GetDC(nullptr);
    const int dpi = screen ? GetDeviceCaps(screen, LOGPIXELSX) : kDesignDpi;
    if (screen) ReleaseDC(nullptr, screen);
    return dpi > 0 ? dpi : kDesignDpi;
}

// ---------------------------------------------------------------------------------------------
// TControl

TControl::TControl(TComponent* owner, TControl* parent) : TComponent(owner), parent_(parent) {}

TControl::~TControl() {
    if (handle_) {
        RemovePropA(handle_, kControlProp);
        classHook_.Remove();
        DestroyWindow(handle_);
        handle_ = nullptr;
    }
}

TControl* TControl::FromHandle(HWND wnd) {
    if (!wnd) return nullptr;
    return static_cast<TControl*>(GetPropA(wnd, kControlProp));
}

TForm* TControl::ParentForm() {
    for (TControl* c = this; c; c = c->parent_)
        if (auto* f = dynamic_cast<TForm*>(c)) return f;
    return nullptr;
}

void TControl::CreateHandle(const char* className, DWORD style, DWORD exStyle, HWND parentOrOwner, int id) {
    if (visible_) style |= WS_VISIBLE;
    if (!enabled_) style |= WS_DISABLED;
    // Overlapping controls (the two panels, "Annuler" over "Quitter") draw in their z-order.
    if (style & WS_CHILD) style |= WS_CLIPSIBLINGS;
    const RECT at = DeviceBounds();
    handle_ = CreateWindowExA(exStyle, className, "", style, at.left, at.top, at.right - at.left, at.bottom - at.top,
                              parentOrOwner, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                              GetModuleHandleA(nullptr), this);
    if (!handle_) throw std::runtime_error(std::string("Cannot create a window of class ") + className);
    if (!FromHandle(handle_)) {  // a standard class: hook it, beside what the common controls hook
        SetPropA(handle_, kControlProp, this);
        classHook_.Install(handle_, [this](UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
            result = 0;
            RunGuarded(this, [&] { result = WndProc(msg, wp, lp); });
            return true;
        });
    }
    SendMessageA(handle_, WM_SETFONT, reinterpret_cast<WPARAM>(DeviceFont()), FALSE);
}

int TControl::Dpi() const {
    const TControl* top = this;
    while (top->parent_) top = top->parent_;
    return top->dpi_;
}

RECT TControl::DeviceBounds() const {
    if (!parent_) return {left_, top_, left_ + width_, top_ + height_};
    const int dpi = Dpi();
    const int left = ToDpi(left_, dpi), top = ToDpi(top_, dpi);
    // Sizes scale on their own rather than as the difference of two scaled edges, so that what a
    // control holds grows by the whole factor.
    const int width = std::max<int>(ToDpi(width_, dpi), deviceMin_.cx);
    const int height = std::max<int>(ToDpi(height_, dpi), deviceMin_.cy);
    return {left, top, left + width, top + height};
}

int TControl::DesignX(LPARAM lp) const { return FromDpi(static_cast<short>(LOWORD(lp)), Dpi()); }
int TControl::DesignY(LPARAM lp) const { return FromDpi(static_cast<short>(HIWORD(lp)), Dpi()); }

void TControl::ApplyDpi() {
    if (!handle_) return;
    const RECT at = DeviceBounds();
    MoveWindow(handle_, at.left, at.top, at.right - at.left, at.bottom - at.top, TRUE);
    SendMessageA(handle_, WM_SETFONT, reinterpret_cast<WPARAM>(DeviceFont()), TRUE);
}

void TControl::RegisterOwnClass(const char* className) {
    HINSTANCE inst = GetModuleHandleA(nullptr);
    WNDCLASSA wc{};
    if (GetClassInfoA(inst, className, &wc)) return;
    wc = WNDCLASSA{};
    wc.style = CS_DBLCLKS;
    wc.lpfnWndProc = &TControl::OwnClassProc;
    wc.hInstance = inst;
    wc.hIcon = LoadIconA(inst, "MAINICON");
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = className;
    RegisterClassA(&wc);
}

LRESULT CALLBACK TControl::OwnClassProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_NCCREATE) {
        auto* cs = reinterpret_cast<CREATESTRUCTA*>(lp);
        auto* self = static_cast<TControl*>(cs->lpCreateParams);
        SetPropA(wnd, kControlProp, self);
        self->handle_ = wnd;
    }
    TControl* c = FromHandle(wnd);
    if (!c) return DefWindowProcA(wnd, msg, wp, lp);
    if (msg == WM_NCDESTROY) {
        RemovePropA(wnd, kControlProp);
        c->handle_ = nullptr;
        return DefWindowProcA(wnd, msg, wp, lp);
    }
    LRESULT result = 0;
    RunGuarded(c, [&] { result = c->WndProc(msg, wp, lp); });
    return result;
}

LRESULT TControl::DefaultProc(UINT msg, WPARAM wp, LPARAM lp) {
    if (classHook_.Installed()) return classHook_.CallNext(msg, wp, lp);
    return DefWindowProcA(handle_, msg, wp, lp);
}

bool TControl::HandleNotify(UINT, WPARAM, LPARAM, LRESULT&) { return false; }

TShiftState TControl::ShiftState(WPARAM keys) {
    TShiftState s = 0;
    if (keys & MK_SHIFT) s |= ssShift;
    if (keys & MK_CONTROL) s |= ssCtrl;
    if (GetKeyState(VK_MENU) < 0) s |= ssAlt;
    if (keys & MK_LBUTTON) s |= ssLeft;
    if (keys & MK_RBUTTON) s |= ssRight;
    if (keys & MK_MBUTTON) s |= ssMiddle;
    return s;
}

bool TControl::DispatchMouse(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
    // The events get the design's coordinates; what the system compares stays in pixels.
    const int x = DesignX(lp), y = DesignY(lp);
    const POINT pt{static_cast<short>(LOWORD(lp)), static_cast<short>(HIWORD(lp))};
    switch (msg) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDOWN:
    case WM_RBUTTONDBLCLK:
    case WM_MBUTTONDOWN:
    case WM_MBUTTONDBLCLK: {
        result = DefaultProc(msg, wp, lp);
        TMouseButton b = (msg == WM_LBUTTONDOWN || msg == WM_LBUTTONDBLCLK)   ? TMouseButton::mbLeft
                         : (msg == WM_RBUTTONDOWN || msg == WM_RBUTTONDBLCLK) ? TMouseButton::mbRight
                                                                              : TMouseButton::mbMiddle;
        if (b == TMouseButton::mbLeft && SynthesizesClick()) {
            leftPressed_ = true;
            SetCapture(handle_);
        }
        OnMouseDown(this, b, ShiftState(wp), x, y);
        return true;
    }
    case WM_KEYUP:
    case WM_SYSKEYDOWN:
    case WM_CONTEXTMENU: {
        // The menu key, Shift+F10, or the system's request from either (a right click's own
        // request carries a position, not -1).
        const bool menuKey = msg == WM_KEYUP         ? wp == VK_APPS
                             : msg == WM_SYSKEYDOWN ? wp == VK_F10 && GetKeyState(VK_SHIFT) < 0
                                                    : lp == -1;
        if (!menuKey || !OnMenuKey.Assigned()) return false;
        OnMenuKey(this);
        result = 0;
        return true;
    }
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
    case WM_MBUTTONUP: {
        result = DefaultProc(msg, wp, lp);
        TMouseButton b = msg == WM_LBUTTONUP   ? TMouseButton::mbLeft
                         : msg == WM_RBUTTONUP ? TMouseButton::mbRight
                                               : TMouseButton::mbMiddle;
        if (b == TMouseButton::mbLeft && leftPressed_) {
            leftPressed_ = false;
            if (GetCapture() == handle_) ReleaseCapture();
            RECT rc;
            GetClientRect(handle_, &rc);
            if (PtInRect(&rc, pt)) OnClick(this);
        }
        OnMouseUp(this, b, ShiftState(wp), x, y);
        return true;
    }
    case WM_MOUSEMOVE: {
        // While the control holds the capture its moves come wherever the pointer is: the pointer
        // has left when a move is outside it, and is back with the next move inside.
        bool over = true;
        if (GetCapture() == handle_) {
            RECT rc;
            GetClientRect(handle_, &rc);
            over = PtInRect(&rc, pt) != FALSE;
        }
        if (over && !mouseInside_) {
            mouseInside_ = true;
            TRACKMOUSEEVENT tme{sizeof(tme), TME_LEAVE, handle_, 0};
            TrackMouseEvent(&tme);
            // Wine does not always send the leave notice: a look at what is under the pointer
            // catches the leave as well.
            SetTimer(handle_, kPointerWatch, kPointerWatchMs, nullptr);
            OnMouseEnter(this);
        } else if (!over && mouseInside_) {
            MouseLeft();
        }
        OnMouseMove(this, ShiftState(wp), x, y);
        return false;
    }
    case WM_MOUSELEAVE:
        // Once per stay: a leave already seen otherwise is not raised again.
        if (mouseInside_) MouseLeft();
        return false;
    case WM_TIMER:
        if (wp != kPointerWatch) return false;
        // Under the capture the moves tell where the pointer is.
        if (mouseInside_ && GetCapture() != handle_) {
            POINT pt;
            RECT rc;
            GetWindowRect(handle_, &rc);
            // Off the control, or over a window that covers it.
            if (GetCursorPos(&pt) && (!PtInRect(&rc, pt) || WindowFromPoint(pt) != handle_)) MouseLeft();
        }
        result = 0;
        return true;
    case WM_CAPTURECHANGED:
        leftPressed_ = false;
        return false;
    default:
        return false;
    }
}

void TControl::MouseLeft() {
    // No leave notice of the system may come after the pointer is back.
    TRACKMOUSEEVENT tme{sizeof(tme), TME_LEAVE | TME_CANCEL, handle_, 0};
    TrackMouseEvent(&tme);
    KillTimer(handle_, kPointerWatch);
    mouseInside_ = false;
    OnMouseLeave(this);
}

POINT TControl::Centre() const {
    RECT rc{};
    GetClientRect(handle_, &rc);
    return {FromDpi(rc.right / 2, Dpi()), FromDpi(rc.bottom / 2, Dpi())};
}

void TControl::KeyboardClick() {
    const POINT c = Centre();
    OnMouseDown(this, TMouseButton::mbLeft, ssLeft, c.x, c.y);
    OnClick(this);
    OnMouseUp(this, TMouseButton::mbLeft, 0, c.x, c.y);
}

bool TControl::DispatchKeyboardClick(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
    const bool held = (lp & (1 << 30)) != 0;  // a key that repeats while held down
    const POINT c = Centre();
    switch (msg) {
    case WM_GETDLGCODE:
        // Enter comes here rather than to the dialog manager, which would look for a default button.
        result = DefaultProc(msg, wp, lp);
        if (wp == VK_RETURN && lp && reinterpret_cast<const MSG*>(lp)->message == WM_KEYDOWN)
            result |= DLGC_WANTMESSAGE;
        if (arrowNext_ || arrowPrevious_) result |= DLGC_WANTARROWS;
        return true;
    case WM_KEYDOWN:
        if (held) return false;
        if (TControl* to = wp == VK_DOWN || wp == VK_RIGHT ? arrowNext_ : wp == VK_UP || wp == VK_LEFT ? arrowPrevious_ : nullptr) {
            if (IsWindowVisible(to->handle_) && IsWindowEnabled(to->handle_)) to->SetFocus();
        } else if (wp == VK_SPACE && !spacePressed_) {
            spacePressed_ = true;
            OnMouseDown(this, TMouseButton::mbLeft, ssLeft, c.x, c.y);
        } else if (wp == VK_RETURN) {
            KeyboardClick();
        } else {
            return false;
        }
        result = 0;
        return true;
    case WM_KEYUP:
        if (wp != VK_SPACE || !spacePressed_) return false;
        spacePressed_ = false;
        OnClick(this);
        OnMouseUp(this, TMouseButton::mbLeft, 0, c.x, c.y);
        result = 0;
        return true;
    case WM_KILLFOCUS:
        // The focus gone while the space bar holds the control down: released without a click,
        // as the mouse button released elsewhere.
        if (spacePressed_) {
            spacePressed_ = false;
            OnMouseUp(this, TMouseButton::mbLeft, 0, c.x, c.y);
        }
        InvalidateRect(handle_, nullptr, FALSE);
        return false;
    case WM_SETFOCUS:
    case WM_UPDATEUISTATE:
        InvalidateRect(handle_, nullptr, FALSE);
        return false;
    case WM_NOC_KEYBOARD_CLICK:
        if (IsWindowEnabled(handle_)) KeyboardClick();
        result = 0;
        return true;
    default:
        return false;
    }
}

void TControl::PaintFocus(HDC dc) const {
    // Only while the control has the focus and the window shows focus marks: a window used with the
    // mouse alone looks as it always has.
    if (!keyboardClicks_ || GetFocus() != handle_) return;
    if (SendMessageA(handle_, WM_QUERYUISTATE, 0, 0) & UISF_HIDEFOCUS) return;
    RECT rc{};
    GetClientRect(handle_, &rc);
    DrawFocusRect(dc, &rc);
}

bool TControl::HoldsFocus() const {
    const HWND focus = GetFocus();
    return handle_ && focus && (focus == handle_ || IsChild(handle_, focus));
}

bool TControl::DispatchFocus(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
    if (msg != WM_SETFOCUS && msg != WM_LBUTTONDOWN && msg != WM_RBUTTONDOWN && msg != WM_KILLFOCUS &&
        msg != WM_QUERYUISTATE)
        return false;
    TForm* form = parent_ ? ParentForm() : nullptr;
    if (!form) return false;
    const bool quiet = form->QuietFocus() == handle_;
    switch (msg) {
    case WM_SETFOCUS:
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
        form->SetReturnFocus(this);
        // A class that draws its mark from this notice gets it once the mark is to show.
        if (msg != WM_SETFOCUS || !quiet || !classMarksFocus_) return false;
        result = 0;
        return true;
    case WM_KILLFOCUS:
        if (quiet) form->ShowFocusMarks();
        return false;
    case WM_QUERYUISTATE:
        if (!quiet) return false;
        result = DefaultProc(msg, wp, lp) | UISF_HIDEFOCUS;
        return true;
    default:
        return false;
    }
}

void TControl::ShowFocusMark() {
    if (classMarksFocus_ && GetFocus() == handle_) DefaultProc(WM_SETFOCUS, 0, 0);
    InvalidateRect(handle_, nullptr, FALSE);
}

LRESULT TControl::WndProc(UINT msg, WPARAM wp, LPARAM lp) {
    LRESULT result = 0;
    if (DispatchFocus(msg, wp, lp, result)) return result;
    HWND child = nullptr;
    switch (msg) {
    case WM_COMMAND:
        // A control's notification carries its identifier; Enter and Escape that the dialog
        // manager turns into commands (IDOK, IDCANCEL) are not the focused control's.
        if (lp && GetDlgCtrlID(reinterpret_cast<HWND>(lp)) == LOWORD(wp)) child = reinterpret_cast<HWND>(lp);
        break;
    case WM_HSCROLL:
    case WM_VSCROLL:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORLISTBOX:
        child = reinterpret_cast<HWND>(lp);
        break;
    case WM_NOTIFY:
        child = reinterpret_cast<NMHDR*>(lp)->hwndFrom;
        break;
    case WM_DRAWITEM:
        child = reinterpret_cast<DRAWITEMSTRUCT*>(lp)->hwndItem;
        break;
    case WM_SETCURSOR:
        if (reinterpret_cast<HWND>(wp) == handle_ && cursor_ != 0 && LOWORD(lp) == HTCLIENT) {
            ::SetCursor(Screen().Cursor(cursor_));
            return TRUE;
        }
        break;
    case WM_PAINT:
        if (DrawsItself()) {
            PAINTSTRUCT ps;
            HDC dc = BeginPaint(handle_, &ps);
            Paint(dc);
            PaintFocus(dc);
            EndPaint(handle_, &ps);
            return 0;
        }
        break;
    case WM_ERASEBKGND:
        if (DrawsItself()) return 1;
        break;
    case WM_PRINTCLIENT:
        // Drawn into another DC (PrintWindow, a picture of the window) as on the screen.
        if (DrawsItself()) {
            Paint(reinterpret_cast<HDC>(wp));
            PaintFocus(reinterpret_cast<HDC>(wp));
            return 0;
        }
        break;
    case WM_GETOBJECT:
        if (OverridesAccessible() && AnswerAccessibleObject(handle_, wp, lp, result)) return result;
        break;
    default:
        if (DispatchMouse(msg, wp, lp, result)) return result;
        if (keyboardClicks_ && DispatchKeyboardClick(msg, wp, lp, result)) return result;
        break;
    }
    if (child && child != handle_) {
        if (TControl* c = FromHandle(child))
            if (c->HandleNotify(msg, wp, lp, result)) return result;
    }
    return DefaultProc(msg, wp, lp);
}

void TControl::SetBounds(int left, int top, int width, int height) {
    left_ = left;
    top_ = top;
    width_ = width;
    height_ = height;
    if (!handle_) return;
    const RECT at = DeviceBounds();
    MoveWindow(handle_, at.left, at.top, at.right - at.left, at.bottom - at.top, TRUE);
}

void TControl::SetVisible(bool visible) {
    const bool focusGoes = !visible && HoldsFocus();
    visible_ = visible;
    if (handle_) ShowWindow(handle_, visible ? SW_SHOWNA : SW_HIDE);
    if (TForm* form = focusGoes ? ParentForm() : nullptr) form->SettleFocusLater();
}

void TControl::BringToFront() {
    if (handle_) SetWindowPos(handle_, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

void StackInOrder(std::initializer_list<TControl*> controls) {
    HWND above = HWND_TOP;
    for (TControl* c : controls) {
        SetWindowPos(c->Handle(), above, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        above = c->Handle();
    }
}

void TControl::SetEnabled(bool enabled) {
    const bool focusGoes = !enabled && HoldsFocus();
    enabled_ = enabled;
    if (handle_) EnableWindow(handle_, enabled);
    if (TForm* form = focusGoes ? ParentForm() : nullptr) form->SettleFocusLater();
}

std::string TControl::Caption() const {
    if (!handle_) return {};
    int n = GetWindowTextLengthA(handle_);
    std::vector<char> buf(static_cast<size_t>(n) + 1);
    GetWindowTextA(handle_, buf.data(), n + 1);
    return std::string(buf.data());
}

void TControl::SetCaption(const std::string& text) {
    if (handle_) SetWindowTextA(handle_, text.c_str());
}

void TControl::SetHint(const std::string& hint) {
    hint_ = hint;
    if (TForm* f = ParentForm()) f->UpdateHint(this);
}

void TControl::SetFocus() {
    if (handle_) ::SetFocus(handle_);
}

bool TControl::TabStop() const { return handle_ && (GetWindowLongPtrA(handle_, GWL_STYLE) & WS_TABSTOP) != 0; }

void TControl::SetTabStop(bool tabStop) {
    if (!handle_) return;
    const LONG_PTR style = GetWindowLongPtrA(handle_, GWL_STYLE);
    SetWindowLongPtrA(handle_, GWL_STYLE, tabStop ? style | WS_TABSTOP : style & ~static_cast<LONG_PTR>(WS_TABSTOP));
}

void TControl::SetArrowNeighbour(TControl* next) {
    arrowNext_ = next;
    next->arrowPrevious_ = this;
}

void TControl::SetKeyboardClicks(bool on) {
    keyboardClicks_ = on;
    SetTabStop(on);
    if (on && accessibleRole_ == 0) accessibleRole_ = ROLE_SYSTEM_PUSHBUTTON;
}

std::string TControl::AccessibleName() const {
    if (accessibleName_) return accessibleName_();
    if (!Caption().empty()) return {};
    // The hint on one line.
    std::string name;
    for (char ch : hint_) {
        if (ch == '\r') continue;
        name += ch == '\n' ? ' ' : ch;
    }
    return name;
}

void TControl::AccessibleNameChanged() {
    if (handle_) NotifyWinEvent(EVENT_OBJECT_NAMECHANGE, handle_, OBJID_CLIENT, CHILDID_SELF);
}

int TControl::ControlId() const { return handle_ ? GetDlgCtrlID(handle_) : 0; }

void TControl::SetControlId(int id) {
    if (handle_) SetWindowLongPtrA(handle_, GWLP_ID, id);
}

void TControl::SetFont(HFONT font) {
    font_ = font;
    if (handle_) SendMessageA(handle_, WM_SETFONT, reinterpret_cast<WPARAM>(DeviceFont()), TRUE);
}

void TControl::Repaint() {
    if (handle_) {
        InvalidateRect(handle_, nullptr, TRUE);
        UpdateWindow(handle_);
    }
}

// ---------------------------------------------------------------------------------------------
// TForm

TForm::TForm(TComponent* owner, const char* className) : TControl(owner, nullptr), className_(className) {
    visible_ = false;
}

TForm::~TForm() {
    // The controls go first, while the window they live in still exists.
    DestroyComponents();
    tooltip_.reset();
    if (Application().MainForm() == this) Application().ClearMainForm();
}

void TForm::CreateFormWindow(DWORD style, DWORD exStyle) {
    RegisterOwnClass(className_.c_str());
    CreateHandle(className_.c_str(), style & ~WS_VISIBLE, exStyle, Application().Handle(), 0);
    dpi_ = WindowDpi(handle_);
}

LRESULT TForm::WndProc(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_CLOSE:
        // Also the system menu's close: what the program's close request decides.
        Application().RequestClose(this);
        return 0;
    case WM_QUERYENDSESSION: {
        // The system asks before a log-off or shutdown: the answer is the close request's verdict,
        // and the window stays open either way.
        bool canClose = true;
        RunGuarded(this, [&] { canClose = Application().QueryEndSession(this); });
        return canClose ? TRUE : FALSE;
    }
    case WM_DPICHANGED: {
        // The system suggests where the window goes at its new scale; without, it stays where it is.
        RECT suggested{};
        if (lp)
            suggested = *reinterpret_cast<const RECT*>(lp);
        else
            GetWindowRect(handle_, &suggested);
        DpiChanged(LOWORD(wp), suggested);
        return 0;
    }
    case WM_ACTIVATEAPP:
        Application().WatchInput(wp != FALSE);
        return TControl::WndProc(msg, wp, lp);
    case WM_ACTIVATE:
    case WM_SHOWWINDOW:
        // Activated, the window gets the focus from the system; it goes on to a control once the
        // window is shown and in front.
        if (msg == WM_ACTIVATE && LOWORD(wp) == WA_CLICKACTIVE) Application().NoteInput(false);
        if (msg == WM_ACTIVATE ? LOWORD(wp) != WA_INACTIVE : wp != FALSE) SettleFocusLater();
        return TControl::WndProc(msg, wp, lp);
    case WM_NOC_SETTLE_FOCUS:
        // Unless a show has settled it meanwhile.
        if (settlePending_) RunGuarded(this, [this] { SettleFocus(); });
        return 0;
    case DM_GETDEFID: {
        // The dialog manager asks which button Enter clicks; it then sends that button's click here.
        const TControl* target = DialogKeyTarget(VK_RETURN);
        return target ? MAKELRESULT(target->ControlId(), DC_HASDEFID) : 0;
    }
    case WM_COMMAND:
        // Escape, as the dialog manager gives it (IDCANCEL, and no button of that identifier).
        if (wp == IDCANCEL && lp == 0) {
            if (TControl* target = DialogKeyTarget(VK_ESCAPE)) target->OnClick(target);
            return 0;
        }
        return TControl::WndProc(msg, wp, lp);
    default:
        return TControl::WndProc(msg, wp, lp);
    }
}

void TForm::SettleFocus() {
    settlePending_ = false;
    if (!handle_ || !IsWindowVisible(handle_) || IsIconic(handle_) || GetActiveWindow() != handle_) return;
    const HWND focus = GetFocus();
    if (focus && IsChild(handle_, focus) && CanTakeFocus(FromHandle(focus))) return;
    TControl* target = FocusTarget();
    if (!target) {
        if (focus != handle_) ::SetFocus(handle_);
        return;
    }
    if (Application().KeyboardUsedLast()) {
        quietFocus_ = nullptr;
        // Windows draws the marks by the window's state; Wine always draws them.
        SendMessageA(handle_, WM_CHANGEUISTATE, MAKEWPARAM(UIS_CLEAR, UISF_HIDEFOCUS), 0);
    } else {
        quietFocus_ = target->Handle();
    }
    target->SetFocus();
}

void TForm::SettleFocusLater() {
    if (settlePending_ || !handle_) return;
    settlePending_ = PostMessageA(handle_, WM_NOC_SETTLE_FOCUS, 0, 0) != FALSE;
}

void TForm::SetReturnFocus(TControl* control) { returnFocus_ = control ? control->Handle() : nullptr; }

void TForm::ShowFocusMarks() {
    const HWND quiet = quietFocus_;
    quietFocus_ = nullptr;
    if (TControl* c = quiet ? FromHandle(quiet) : nullptr) c->ShowFocusMark();
}

TControl* TForm::FocusTarget() {
    TControl* back = returnFocus_ && IsChild(handle_, returnFocus_) ? FromHandle(returnFocus_) : nullptr;
    return CanTakeFocus(back) ? back : nullptr;
}

bool TForm::CanTakeFocus(const TControl* control) {
    // Not a panel either, which only passes Tab on to its controls.
    const HWND w = control ? control->Handle() : nullptr;
    return w && IsWindowVisible(w) && IsWindowEnabled(w) && control->TabStop() &&
           !(GetWindowLongPtrA(w, GWL_EXSTYLE) & WS_EX_CONTROLPARENT);
}

TControl* TForm::DialogKeyTarget(UINT key) const {
    const HWND focus = GetFocus();
    if (key == VK_RETURN)
        if (TControl* focused = IsChild(handle_, focus) ? FromHandle(focus) : nullptr)
            if (focused->AnswersDialogKey(key, focus)) return focused;
    TControl* found = nullptr;
    EachChildWindow(handle_, [&](HWND w) {
        TControl* c = FromHandle(w);
        if (w != focus && c && c->AnswersDialogKey(key, focus)) found = c;
        return !found;
    });
    return found;
}

void TForm::DoCreate() {
    RunGuarded(this, [&] { OnCreate(this); });
}

int TForm::ClientWidth() const {
    RECT rc{};
    GetClientRect(handle_, &rc);
    return FromDpi(rc.right, dpi_);
}

int TForm::ClientHeight() const {
    RECT rc{};
    GetClientRect(handle_, &rc);
    return FromDpi(rc.bottom, dpi_);
}

void TForm::SetClientSize(int width, int height) {
    designClient_ = {width, height};
    FitClientArea(left_, top_, ToDpi(width, dpi_), ToDpi(height, dpi_));
}

void TForm::FitClientArea(int left, int top, int width, int height) {
    using AdjustForDpiFn = BOOL(WINAPI*)(RECT*, DWORD, BOOL, DWORD, UINT);
    static const auto adjustForDpi = User32Function<AdjustForDpiFn>("AdjustWindowRectExForDpi");
    const auto style = static_cast<DWORD>(GetWindowLongPtrA(handle_, GWL_STYLE));
    const auto exStyle = static_cast<DWORD>(GetWindowLongPtrA(handle_, GWL_EXSTYLE));
    RECT rc{0, 0, width, height};
    if (dpi_ == kDesignDpi || !adjustForDpi || !adjustForDpi(&rc, style, FALSE, exStyle, static_cast<UINT>(dpi_)))
        AdjustWindowRectEx(&rc, style, FALSE, exStyle);
    SetBounds(left, top, rc.right - rc.left, rc.bottom - rc.top);
    // The frame the window really has decides: where it is not the one foreseen for that scale,
    // the window takes the difference.
    RECT client{};
    GetClientRect(handle_, &client);
    if (client.right != width || client.bottom != height)
        SetBounds(left, top, width_ + width - client.right, height_ + height - client.bottom);
}

void TForm::DpiChanged(int dpi, const RECT& suggested) {
    if (dpi <= 0) return;
    dpi_ = dpi;
    // Parents come before their children here, so that each child is laid out in its parent's new
    // client area.
    EachChildWindow(handle_, [](HWND w) {
        if (TControl* c = FromHandle(w)) c->ApplyDpi();
        return true;
    });
    if (tooltip_) SendMessageA(tooltip_.get(), TTM_SETMAXTIPWIDTH, 0, ToDpi(400, dpi_));
    FitClientArea(suggested.left, suggested.top, ToDpi(designClient_.cx, dpi_), ToDpi(designClient_.cy, dpi_));
    RedrawWindow(handle_, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN);
}

void TForm::CenterOnScreen() {
    RECT work{};
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
    int sw = GetSystemMetrics(SM_CXSCREEN), sh = GetSystemMetrics(SM_CYSCREEN);
    SetBounds((sw - width_) / 2, (sh - height_) / 2, width_, height_);
}

void TForm::SetVisible(bool visible) {
    visible_ = visible;
    if (!handle_) return;
    if (visible) {
        // A box of this window that is up keeps the keyboard: the form comes back behind it
        // without taking the activation (under Wine, taking it would also raise the form over it).
        const bool boxUp = ShownOwnedDialog(handle_) != nullptr;
        if (IsIconic(handle_))
            ShowWindow(handle_, boxUp ? SW_SHOWNOACTIVATE : SW_RESTORE);
        else
            ShowWindow(handle_, boxUp ? SW_SHOWNA : SW_SHOW);
        SetWindowPos(handle_, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | (boxUp ? SWP_NOACTIVATE : 0));
        SettleFocus();
    } else {
        ShowWindow(handle_, SW_HIDE);
    }
}

void TForm::SetMinimized(bool minimized) {
    if (handle_) ShowWindow(handle_, minimized ? SW_SHOWMINNOACTIVE : SW_RESTORE);
}

bool TForm::Minimized() const { return handle_ && IsIconic(handle_); }

bool TForm::CloseQuery() {
    bool canClose = true;
    OnCloseQuery(this, canClose);
    return canClose;
}

void TForm::Close() {
    if (!CloseQuery()) return;
    TCloseAction action = caHide;
    OnClose(this, action);
    if (action == caNone) return;
    if (Application().MainForm() == this) {
        Application().Terminate();
    } else if (action == caMinimize) {
        SetMinimized(true);
    } else {
        Hide();
    }
}

void TForm::EnsureTooltip() {
    if (tooltip_ || !handle_) return;
    tooltip_.reset(CreateWindowExA(WS_EX_TOPMOST, TOOLTIPS_CLASSA, nullptr, WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX,
                                   CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, handle_, nullptr,
                                   GetModuleHandleA(nullptr), nullptr));
    // A width limit makes the tooltip honour line breaks, so hints can span several lines.
    SendMessageA(tooltip_.get(), TTM_SETMAXTIPWIDTH, 0, ToDpi(400, dpi_));
}

void TForm::UpdateHint(TControl* control) {
    EnsureTooltip();
    if (!tooltip_ || !control->Handle()) return;
    TOOLINFOA ti{};
    ti.cbSize = TTTOOLINFOA_V2_SIZE;
    ti.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    ti.hwnd = handle_;
    ti.uId = reinterpret_cast<UINT_PTR>(control->Handle());
    SendMessageA(tooltip_.get(), TTM_DELTOOL, 0, reinterpret_cast<LPARAM>(&ti));
    if (control->Hint().empty() || !control->ShowHint) return;
    ti.lpszText = const_cast<char*>(control->Hint().c_str());
    SendMessageA(tooltip_.get(), TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&ti));
}

}  // namespace noc
