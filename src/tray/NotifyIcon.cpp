#include "tray/NotifyIcon.h"

#include <commctrl.h>
#include <shlwapi.h>

#include <algorithm>
#include <cstring>

#include "framework/Application.h"
#include "framework/Controls.h"
#include "framework/Seam.h"
#include "tray/IconPixels.h"
#include "tray/TrayRules.h"

namespace noc {

namespace {

constexpr uint32_t kLeaveCheckMs = 20;
constexpr UINT_PTR kRetryTimer = 1;
constexpr UINT kTryAgain = WM_NOC_TRAY_CALLBACK + 1;
UINT g_retryInterval = 1000;

// Identities are never reused, so a callback still queued for a destroyed icon finds nobody.
uint32_t NextTrayId() {
    static uint32_t last = 0;
    return ++last;
}

TShiftState KeysHeld() {
    TShiftState s = 0;
    if (GetAsyncKeyState(VK_SHIFT) < 0) s |= ssShift;
    if (GetAsyncKeyState(VK_MENU) < 0) s |= ssAlt;
    if (GetAsyncKeyState(VK_CONTROL) < 0) s |= ssCtrl;
    return s;
}

struct OtherButton {
    UINT down, up;
    TMouseButton button;
    TShiftState held;
};
const OtherButton kOtherButtons[] = {{WM_RBUTTONDOWN, WM_RBUTTONUP, TMouseButton::mbRight, ssRight},
                                     {WM_MBUTTONDOWN, WM_MBUTTONUP, TMouseButton::mbMiddle, ssMiddle}};

DWORD CommonControlsVersion() {
    HMODULE comctl = GetModuleHandleA("comctl32.dll");
    if (!comctl) comctl = LoadLibraryA("comctl32.dll");
    auto getVersion =
        reinterpret_cast<DLLGETVERSIONPROC>(reinterpret_cast<void*>(GetProcAddress(comctl, "DllGetVersion")));
    if (!getVersion) return 0;
    DLLVERSIONINFO info{};
    info.cbSize = sizeof(info);
    if (FAILED(getVersion(&info))) return 0;
    return MAKELONG(info.dwMinorVersion, info.dwMajorVersion);
}

}  // namespace

// ---- the shared window -----------------------------------------------------------------------

bool TTrayIconHandler::Message(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
    switch (msg) {
    case WM_NOC_TRAY_CALLBACK: {
        result = 0;
        if (TNotifyIcon* icon = Find(wp)) RunGuarded(icon, [&] { icon->Callback(lp); });
        return true;
    }
    case WM_TIMER:
        if (wp != kRetryTimer) return false;
        result = 0;
        RunGuarded(nullptr, [&] { Retry(); });
        return true;
    case kTryAgain:
        result = 0;
        tryPosted_ = false;
        RunGuarded(nullptr, [&] {
            bool unused = false;
            AddWaiting(0, unused);
            if (waiting_.empty())
                StopRetrying();
            else
                StartRetrying();  // a new minute of tries
        });
        return true;
    // Nobody but the program ends this window.
    case WM_DESTROY:
    case WM_CLOSE:
    case WM_QUIT:
    case WM_QUERYENDSESSION:
    case WM_ENDSESSION:
    case WM_NCDESTROY:
        result = 1;
        return true;
    default:
        return false;
    }
}

bool TTrayIconHandler::Add(TNotifyIcon* icon) {
    TTrayIconHandler* self = Current();
    const bool asked = Waiting(icon->TrayId());
    if (!self->waiting_.empty()) {
        // Others wait: this one goes behind them. Asked again for one that waits (the program
        // again, or "TaskbarCreated", which every waiting icon hears), or with the tries given up:
        // a try of them all, once every icon has heard what it hears now.
        if (!asked) self->waiting_.push_back(icon->TrayId());
        if ((asked || self->attemptsLeft_ == 0) && !self->tryPosted_)
            self->tryPosted_ = PostMessageA(Window(), kTryAgain, 0, 0) != FALSE;
        return false;
    }
    self->waiting_.push_back(icon->TrayId());
    bool answer = false;
    self->AddWaiting(icon->TrayId(), answer);
    if (!self->waiting_.empty()) self->StartRetrying();
    return answer;
}

void TTrayIconHandler::AddWaiting(uint32_t of, bool& answer) {
    while (!waiting_.empty()) {
        const uint32_t id = waiting_.front();
        if (TNotifyIcon* icon = Find(id)) {
            const bool taken = icon->SendAdd();
            if (id == of) answer = taken;
            // An icon the shell holds already is refused again: it has nothing to wait for.
            if (!taken && !icon->inShell_) return;
        }
        waiting_.pop_front();
    }
}

void TTrayIconHandler::Withdraw(uint32_t id) {
    TTrayIconHandler* self = Current();
    if (!self) return;
    self->waiting_.erase(std::remove(self->waiting_.begin(), self->waiting_.end(), id), self->waiting_.end());
    if (self->waiting_.empty()) self->StopRetrying();
}

bool TTrayIconHandler::Waiting(uint32_t id) {
    const TTrayIconHandler* self = Current();
    return self && std::find(self->waiting_.begin(), self->waiting_.end(), id) != self->waiting_.end();
}

void TTrayIconHandler::SetRetryInterval(UINT ms) { g_retryInterval = ms; }

void TTrayIconHandler::Retry() {
    if (attemptsLeft_ == 0) return;  // a tick still queued after the last try
    bool unused = false;
    AddWaiting(0, unused);
    // After a minute the shell is not coming by itself; "TaskbarCreated" will say when it does.
    if (waiting_.empty() || --attemptsLeft_ == 0) StopRetrying();
}

void TTrayIconHandler::StartRetrying() {
    attemptsLeft_ = SetTimer(Window(), kRetryTimer, g_retryInterval, nullptr) != 0 ? kRetryAttempts : 0;
}

void TTrayIconHandler::StopRetrying() {
    if (attemptsLeft_ == 0) return;
    attemptsLeft_ = 0;
    KillTimer(Window(), kRetryTimer);
}

// ---- the icon ---------------------------------------------------------------------------------

UINT TNotifyIcon::TaskbarCreatedMessage() {
    static const UINT message = CommonControlsVersion() >= 0x00040047 ? RegisterWindowMessageA("TaskbarCreated") : 0;
    return message;
}

TNotifyIcon::TNotifyIcon(TComponent* owner) : TComponent(owner), trayId_(NextTrayId()) {
    handlerWindow_ = TTrayIconHandler::Acquire(trayId_, this);
    icon_.OnChange.Set([this](TObject*) { RefreshTrayIcon(); });

    notifyData_.cbSize = NOTIFYICONDATAA_V2_SIZE;
    notifyData_.hWnd = handlerWindow_;
    notifyData_.uID = trayId_;
    notifyData_.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    notifyData_.uCallbackMessage = WM_NOC_TRAY_CALLBACK;

    animationTimer_ = std::make_unique<TSimpleTimer>(1000, TNotifyEvent([this](TObject*) { AnimationTick(); }));
    clickDelayTimer_ = std::make_unique<TSimpleTimer>(1000, TNotifyEvent([this](TObject*) { ClickDelayTick(); }));
    leaveCheckTimer_ =
        std::make_unique<TSimpleTimer>(kLeaveCheckMs, TNotifyEvent([this](TObject*) { LeaveCheckTick(); }));

    TaskbarCreatedMessage();
    applicationHook_.Install(Application().Handle(), [this](UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
        return ApplicationMessage(msg, wp, lp, result);
    });
    if (HWND owner = OwnerWindow())
        ownerHook_.Install(owner, [this](UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
            return OwnerMessage(msg, wp, lp, result);
        });
}

TNotifyIcon::~TNotifyIcon() {
    RunGuarded(this, [&] { SetIconVisible(false); });
    animationTimer_.reset();
    clickDelayTimer_.reset();
    leaveCheckTimer_.reset();
    icon_.OnChange.Clear();
    icon_.Clear();
    applicationHook_.Remove();
    ownerHook_.Remove();
    TTrayIconHandler::Release(trayId_);
}

HWND TNotifyIcon::OwnerWindow() const {
    auto* control = dynamic_cast<TControl*>(Owner());
    return control ? control->Handle() : nullptr;
}

void TNotifyIcon::Loaded() {
    if (OwnerWindow()) {
        bool showMainForm = true;
        OnStartup(this, showMainForm);
        if (!showMainForm) {
            Application().ShowMainForm = false;
            if (TForm* main = Application().MainForm()) main->Hide();
            HWND app = Application().Handle();
            if (app && IsWindowVisible(app)) ShowWindow(app, SW_HIDE);
        }
    }
    RefreshTrayIcon();
    if (iconVisible_)
        AddTrayIcon();
    else
        DeleteTrayIcon();
    SetCycleIcons(cycleIcons_);
    SetWantEnterExitEvents(wantEnterExit_);
    SetCallbackVersion();
}

bool TNotifyIcon::SetCallbackVersion() {
    // The mouse message alone in lParam and the icon's id in wParam, as originally; besides, the
    // shell tells a selection of the icon (NIN_SELECT, NIN_KEYSELECT from the keyboard) and a request
    // for its menu (WM_CONTEXTMENU). The shell takes it only for an icon it holds: asked again
    // after each add.
    notifyData_.uVersion = NOTIFYICON_VERSION;
    const bool taken = Seam().NotifyShell(NIM_SETVERSION, &notifyData_) != FALSE;
    notifyData_.uVersion = 0;  // shared with the notices' time-out
    return taken;
}

// ---- towards the shell ---------------------------------------------------------------------------

void TNotifyIcon::FillNotifyData() {
    notifyData_.hIcon = icon_.Handle();
    std::memset(notifyData_.szTip, 0, sizeof(notifyData_.szTip));
    const std::string tip = TrayTipText(hint_, showHint_);
    std::memcpy(notifyData_.szTip, tip.data(), tip.size());
    notifyData_.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
}

bool TNotifyIcon::SendToShell(DWORD message) {
    FillNotifyData();
    return Seam().NotifyShell(message, &notifyData_) != FALSE;
}

bool TNotifyIcon::ShowBalloonHint(const std::string& title, const std::string& text, DWORD infoFlags) {
    if (!inShell_) return false;
    FillNotifyData();
    lstrcpynA(notifyData_.szInfoTitle, title.c_str(), sizeof(notifyData_.szInfoTitle));
    lstrcpynA(notifyData_.szInfo, text.c_str(), sizeof(notifyData_.szInfo));
    notifyData_.uTimeout = 10000;  // older Windows: how long it stays up
    notifyData_.dwInfoFlags = infoFlags;
    notifyData_.uFlags |= NIF_INFO;
    const bool taken = Seam().NotifyShell(NIM_MODIFY, &notifyData_) != FALSE;
    // The record serves every later call: nothing of the notice stays in it.
    notifyData_.szInfoTitle[0] = notifyData_.szInfo[0] = '\0';
    notifyData_.uVersion = 0;
    notifyData_.dwInfoFlags = 0;
    notifyData_.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    return taken;
}

bool TNotifyIcon::SendAdd() {
    const bool taken = SendToShell(NIM_ADD);
    if (taken) {
        inShell_ = true;
        SetCallbackVersion();
    }
    return taken;
}

bool TNotifyIcon::AddTrayIcon() { return TTrayIconHandler::Add(this); }

bool TNotifyIcon::DeleteTrayIcon() {
    TTrayIconHandler::Withdraw(trayId_);
    inShell_ = false;
    return SendToShell(NIM_DELETE);
}
bool TNotifyIcon::RefreshTrayIcon() { return SendToShell(NIM_MODIFY); }

// ---- properties ----------------------------------------------------------------------------------

void TNotifyIcon::SetIconList(TImageList* list) {
    if (iconList_) RemoveFreeNotification(iconList_);
    iconList_ = list;
    if (iconList_) FreeNotification(iconList_);
    SetIconIndex(0);
}

void TNotifyIcon::Notification(TComponent* gone) {
    if (gone == iconList_) {
        iconList_ = nullptr;
        SetIconIndex(0);
    }
}

void TNotifyIcon::SetCycleIcons(bool value) {
    cycleIcons_ = value;
    if (value) {
        SetIconIndex(0);
        animationTimer_->SetInterval(cycleInterval_);
        animationTimer_->SetEnabled(true);  // a zero period is refused: frame 0 stays
        frameDue_ = GetTickCount64() + cycleInterval_;
    } else if (animationTimer_->Enabled()) {
        // A stopped timer stays stopped: every text drawing asks this, and asking the system to
        // kill a timer that is not there costs a round trip to it.
        animationTimer_->SetEnabled(false);
    }
}

void TNotifyIcon::SetCycleInterval(uint32_t value) {
    cycleInterval_ = value;
    SetCycleIcons(cycleIcons_);
}

void TNotifyIcon::SetHint(const std::string& value) {
    hint_ = value;
    RefreshTrayIcon();
}

void TNotifyIcon::SetShowHint(bool value) {
    showHint_ = value;
    RefreshTrayIcon();
}

void TNotifyIcon::SetIconVisible(bool value) {
    iconVisible_ = value;
    if (value)
        AddTrayIcon();
    else
        DeleteTrayIcon();
}

void TNotifyIcon::SetIconIndex(int value) {
    if (iconList_) {
        iconIndex_ = ClampFrameIndex(value, iconList_->Count());
        if (IconImagePtr frame = iconList_->Image(iconIndex_)) icon_.Assign(std::move(frame));
    } else {
        iconIndex_ = 0;
    }
    RefreshTrayIcon();
}

void TNotifyIcon::SetWantEnterExitEvents(bool value) {
    wantEnterExit_ = value;
    leaveCheckTimer_->SetEnabled(value);
}

// ---- animation and the timers ------------------------------------------------------------------

void TNotifyIcon::DoCycle() { OnCycle(this, NextFrameIndex(iconIndex_, iconList_ ? iconList_->Count() : 0)); }

void TNotifyIcon::AnimationTick() {
    if (!iconList_) return;
    if (IconImagePtr frame = iconList_->Image(iconIndex_)) icon_.Assign(std::move(frame));
    DoCycle();
    if (!iconList_) return;
    iconIndex_ = NextFrameIndex(iconIndex_, iconList_->Count());
    WaitForNextPicture();
}

void TNotifyIcon::WaitForNextPicture() {
    // The frames that show the picture already shown change nothing: the timer sleeps through them
    // to the next picture, due when its frame is. Not when someone follows every frame, nor while a
    // tooltip rides on the frames to the shell.
    const int count = iconList_->Count();
    int frames = 1;
    if (!OnCycle.Assigned() && hint_.empty())
        while (frames < count && iconList_->Image(iconIndex_) == icon_.Image()) {
            iconIndex_ = NextFrameIndex(iconIndex_, count);
            ++frames;
        }
    const uint64_t now = GetTickCount64();
    uint64_t due = frameDue_ + static_cast<uint64_t>(cycleInterval_) * static_cast<uint64_t>(frames);
    if (due <= now) due = now + cycleInterval_;  // late, or the machine slept: the frames from now
    if (frames > 1 || animationTimer_->Interval() != cycleInterval_)
        animationTimer_->SetInterval(static_cast<uint32_t>(due - now));
    frameDue_ = due;
}

void TNotifyIcon::ClickDelayTick() {
    clickDelayTimer_->SetEnabled(false);
    if (!doubleClickSeen_ && clickPending_) {
        clickPending_ = false;
        DoClick();
    }
    doubleClickSeen_ = false;
}

void TNotifyIcon::LeaveCheckTick() {
    if (cursorOutside_) return;
    POINT p{};
    GetCursorPos(&p);
    if (p.x != lastCursorPos_.x || p.y != lastCursorPos_.y) {
        cursorOutside_ = true;
        DoMouseExit();
    }
}

// ---- the shell's callbacks -----------------------------------------------------------------------

void TNotifyIcon::Callback(LPARAM event) {
    const UINT what = static_cast<UINT>(LOWORD(event));
    const UINT previous = lastEvent_;
    lastEvent_ = what;
    // The user's hand on the icon, for the window that it may bring: a focus mark or none.
    if (what == NIN_KEYSELECT || what == WM_LBUTTONDOWN || what == WM_RBUTTONDOWN || what == NIN_BALLOONUSERCLICK)
        Application().NoteInput(what == NIN_KEYSELECT);
    switch (what) {
    case NIN_BALLOONSHOW:
        OnBalloonHintShow(this);
        return;
    case NIN_BALLOONHIDE:
        OnBalloonHintHide(this);
        return;
    case NIN_BALLOONTIMEOUT:
        OnBalloonHintTimeout(this);
        return;
    case NIN_BALLOONUSERCLICK:
        OnBalloonHintClick(this);
        return;
    default:
        break;
    }
    if (!Enabled) return;
    POINT p{};
    GetCursorPos(&p);
    const TShiftState keys = KeysHeld();
    switch (what) {
    case WM_MOUSEMOVE:
        if (wantEnterExit_ && cursorOutside_) {
            DoMouseEnter();
            cursorOutside_ = false;
        }
        DoMouseMove(keys, p.x, p.y);
        lastCursorPos_ = p;
        break;
    case WM_LBUTTONDOWN:
        if (OnDblClick.Assigned()) {
            clickDelayTimer_->SetInterval(GetDoubleClickTime());
            clickDelayTimer_->SetEnabled(true);
        }
        DoMouseDown(TMouseButton::mbLeft, keys | ssLeft, p.x, p.y);
        leftDownSeen_ = true;
        break;
    case WM_LBUTTONUP:
        if (leftDownSeen_) clickPending_ = true;
        if (leftDownSeen_ && !clickDelayTimer_->Enabled()) {
            leftDownSeen_ = false;
            clickPending_ = false;
            DoClick();
        }
        leftDownSeen_ = false;
        DoMouseUp(TMouseButton::mbLeft, keys | ssLeft, p.x, p.y);
        break;
    case WM_LBUTTONDBLCLK:
        clickPending_ = false;
        doubleClickSeen_ = true;
        DoDblClick();
        break;
    case NIN_SELECT:
    case NIN_KEYSELECT:
        // The shell follows a left click with a selection, already raised as that click; any other
        // selection comes from the keyboard (Space or Enter on the icon) and is a click.
        if (what == NIN_KEYSELECT || previous != WM_LBUTTONUP) DoClick();
        break;
    case WM_CONTEXTMENU:
        // Likewise after a right click; from the keyboard it is the right click that the shell
        // gave for it before it told selections apart.
        if (previous != WM_RBUTTONUP) {
            DoMouseDown(TMouseButton::mbRight, keys | ssRight, p.x, p.y);
            DoMouseUp(TMouseButton::mbRight, keys | ssRight, p.x, p.y);
        }
        break;
    default:
        // The right and middle buttons only go down and up; their double clicks are not taken.
        for (const OtherButton& b : kOtherButtons) {
            if (what == b.down) DoMouseDown(b.button, keys | b.held, p.x, p.y);
            if (what == b.up) DoMouseUp(b.button, keys | b.held, p.x, p.y);
        }
        break;
    }
}

// ---- the hooks -------------------------------------------------------------------------------------

void TNotifyIcon::HideToTray() {
    if (OwnerWindow()) {
        if (TForm* main = Application().MainForm()) {
            main->Hide();
            HWND app = Application().Handle();
            if (app && IsWindowVisible(app)) ShowWindow(app, SW_HIDE);
        }
    }
    SetIconVisible(true);
}

bool TNotifyIcon::ApplicationMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT&) {
    RunGuarded(this, [&] {
        if (msg == WM_SIZE && wp == SIZE_MINIMIZED && MinimizeToTray) HideToTray();
        if (msg == WM_WINDOWPOSCHANGED && startupCheckPending_ && Application().MainForm())
            startupCheckPending_ = false;  // only a frame of several documents would ask OnStartup here
        if (msg == WM_SYSCOMMAND && (wp & 0xFFF0) == SC_RESTORE)
            if (TForm* main = Application().MainForm()) main->Show();
        if (msg != 0 && msg == TaskbarCreatedMessage() && iconVisible_) AddTrayIcon();
    });
    (void)lp;
    return false;  // watched, never consumed
}

bool TNotifyIcon::OwnerMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
    if (msg == WM_SHOWWINDOW && wp == TRUE && lp == 0) {
        // Shown, from the tray or by the countdown: to the front, or the box it has up, as a click
        // on its taskbar button would do. Every icon of the window watches this; once one has
        // brought it forward the others leave it there, each switch of the active window costing a
        // round of activation messages before the window appears.
        const HWND box = ShownOwnedDialog(ownerHook_.Window());
        const HWND front = box ? box : ownerHook_.Window();
        if (GetForegroundWindow() != front) {
            SetForegroundWindow(Application().Handle());
            SetForegroundWindow(front);
        }
        return false;
    }
    const bool minimizing =
        (msg == WM_SHOWWINDOW && wp == FALSE && lp == SW_PARENTCLOSING && !Application().Terminated()) ||
        (msg == WM_SYSCOMMAND && (wp & 0xFFF0) == SC_MINIMIZE);
    if (minimizing && MinimizeToTray) {
        RunGuarded(this, [&] {
            OnMinimizeToTray(this);
            HideToTray();
        });
        result = 1;
        return true;
    }
    return false;
}

// ---- pictures ---------------------------------------------------------------------------------------

void TNotifyIcon::MaskedBitmapToIcon(const TPixelBitmap& bitmap, TIcon& result, uint32_t maskColor,
                                     TIconPictureCache* cache) {
    const bool anySeeThrough = maskColor != kColorNone;
    const uint32_t seeThrough = anySeeThrough ? PixelOf(ColorToRGB(maskColor)) : 0;
    result.Assign(cache ? cache->Get(bitmap, seeThrough, anySeeThrough)
                        : IconFromPixels(bitmap, seeThrough, anySeeThrough));
}

}  // namespace noc
