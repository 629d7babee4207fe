#pragma once
// A non-visual component that puts one icon into the notification area, keeps its picture and
// tooltip current, can animate it through the pictures of an image list, and turns the shell's
// mouse callbacks into events. Every icon of the process shares one hidden window, which receives
// those callbacks.
//
// Not offered: a context menu (no PopupMenu or LeftPopup: right clicks raise OnMouseDown and
// OnMouseUp only), balloon tips (nothing fills the balloon fields; the shell's balloon notices are
// still raised as events), and a preview at design time. The keyboard's selection of the icon is
// a click, and its request for the icon's menu a right click.
#include <windows.h>
#include <shellapi.h>

#include <cstdint>
#include <deque>
#include <memory>
#include <string>

#include "framework/Component.h"
#include "framework/Graphics.h"
#include "framework/Messages.h"
#include "framework/SharedWindow.h"
#include "framework/WindowHook.h"
#include "tray/IconPixels.h"
#include "tray/SimpleTimer.h"

namespace noc {

class TNotifyIcon;

// The shared window of the icons: the shell's callbacks carry the icon's identity, by which the
// window finds the component.
//
// It also keeps the adds that the shell refused (at logon the notification area may not be ready
// yet): they wait in the order they were asked for, and every later add queues behind them, so the
// icons still appear in that order. The waiting adds are tried again on the window's timer, every
// second for a minute, and whenever an add is asked for again, as at every "TaskbarCreated".
class TTrayIconHandler : public TSharedWindow<TTrayIconHandler, TNotifyIcon> {
public:
    bool Message(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result);

    // The icon's add: sent at once unless others wait before it; refused, it waits. Returns the
    // shell's answer, false while the icon waits.
    static bool Add(TNotifyIcon* icon);
    // The icon no longer wants to be added.
    static void Withdraw(uint32_t id);
    static bool Waiting(uint32_t id);
    // The pace of the tries; a test shortens it. A running minute of tries keeps its pace.
    static void SetRetryInterval(UINT ms);
    static constexpr unsigned kRetryAttempts = 60;

private:
    friend class TSharedWindow<TTrayIconHandler, TNotifyIcon>;
    TTrayIconHandler() : TSharedWindow("TTrayIconHandler") {}
    // Sends the waiting adds in order until the shell refuses one; `answer` gets the shell's answer
    // for the icon `of`.
    void AddWaiting(uint32_t of, bool& answer);
    void Retry();
    void StartRetrying();
    void StopRetrying();

    std::deque<uint32_t> waiting_;
    unsigned attemptsLeft_ = 0;  // non-zero while the timer runs
    bool tryPosted_ = false;
};

using TCycleEvent = Event<int>;      // NextIndex
using TStartupEvent = Event<bool&>;  // ShowMainForm

class TNotifyIcon : public TComponent {
public:
    explicit TNotifyIcon(TComponent* owner);
    ~TNotifyIcon() override;

    // The end of loading: the owner has set every property. Refreshes the entry, applies
    // IconVisible, CycleIcons and WantEnterExitEvents, and asks for the callback behaviour.
    virtual void Loaded();

    // ---- properties, in their published order -------------------------------------------------
    TImageList* IconList() const { return iconList_; }
    void SetIconList(TImageList* list);
    bool CycleIcons() const { return cycleIcons_; }
    void SetCycleIcons(bool value);
    uint32_t CycleInterval() const { return cycleInterval_; }
    void SetCycleInterval(uint32_t value);
    bool Enabled = true;  // false: mouse callbacks are ignored
    const std::string& Hint() const { return hint_; }
    void SetHint(const std::string& value);
    // The tooltip changed without a request of its own: the next refresh (the animation's next
    // picture) carries it to the shell.
    void SetHintQuietly(const std::string& value) { hint_ = value; }
    bool ShowHint() const { return showHint_; }
    void SetShowHint(bool value);
    // The picture shown; every assignment refreshes the entry.
    TIcon& Icon() { return icon_; }
    const TIcon& Icon() const { return icon_; }
    bool IconVisible() const { return iconVisible_; }
    void SetIconVisible(bool value);
    int IconIndex() const { return iconIndex_; }
    void SetIconIndex(int value);
    bool WantEnterExitEvents() const { return wantEnterExit_; }
    void SetWantEnterExitEvents(bool value);
    bool MinimizeToTray = false;

    TNotifyEvent OnClick;
    TNotifyEvent OnDblClick;
    TMouseEvent OnMouseDown;
    TMouseEvent OnMouseUp;
    TMouseMoveEvent OnMouseMove;
    TNotifyEvent OnMouseEnter;
    TNotifyEvent OnMouseExit;
    TCycleEvent OnCycle;
    TNotifyEvent OnBalloonHintShow;
    TNotifyEvent OnBalloonHintHide;
    TNotifyEvent OnBalloonHintTimeout;
    TNotifyEvent OnBalloonHintClick;
    TNotifyEvent OnMinimizeToTray;
    TStartupEvent OnStartup;

    // ---- towards the shell ---------------------------------------------------------------------
    uint32_t TrayId() const { return trayId_; }
    const NOTIFYICONDATAA& NotifyData() const { return notifyData_; }
    // Each fills the record (picture, tooltip) and sends it, and returns the answer. Only a refused
    // add is acted on: the icon waits and is added later, with its picture and tooltip of then.
    virtual bool AddTrayIcon();
    virtual bool DeleteTrayIcon();
    virtual bool RefreshTrayIcon();
    // A notice in a balloon from the icon, which Windows 10 and later show as a notification even
    // when the icon waits in the overflow area; `infoFlags` is NIIF_INFO, NIIF_WARNING... Only an
    // icon the shell holds can give one; later refreshes do not show it again.
    bool ShowBalloonHint(const std::string& title, const std::string& text, DWORD infoFlags);

    // Hides the application's main form and shows the icon.
    virtual void HideToTray();

    // "TaskbarCreated", registered once when the common controls are 4.71 or later; 0 otherwise.
    static UINT TaskbarCreatedMessage();

protected:
    virtual void DoClick() { OnClick(this); }
    virtual void DoDblClick() { OnDblClick(this); }
    virtual void DoCycle();
    virtual void DoMouseDown(TMouseButton b, TShiftState s, int x, int y) { OnMouseDown(this, b, s, x, y); }
    virtual void DoMouseUp(TMouseButton b, TShiftState s, int x, int y) { OnMouseUp(this, b, s, x, y); }
    virtual void DoMouseMove(TShiftState s, int x, int y) { OnMouseMove(this, s, x, y); }
    virtual void DoMouseEnter() { OnMouseEnter(this); }
    virtual void DoMouseExit() { OnMouseExit(this); }

    void Notification(TComponent* gone) override;

    // An icon made from a bitmap in which every pixel of `maskColor` is see-through (none:
    // 0x1FFFFFFF, nothing is), taken from `cache` when it holds the same picture.
    static void MaskedBitmapToIcon(const TPixelBitmap& bitmap, TIcon& result, uint32_t maskColor,
                                   TIconPictureCache* cache = nullptr);

private:
    friend class TTrayIconHandler;
    bool SendToShell(DWORD message);
    bool SendAdd();
    bool SetCallbackVersion();
    void FillNotifyData();
    void Callback(LPARAM event);
    void AnimationTick();
    void WaitForNextPicture();
    void ClickDelayTick();
    void LeaveCheckTick();
    bool OwnerMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result);
    bool ApplicationMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result);
    HWND OwnerWindow() const;

    uint32_t trayId_;
    HWND handlerWindow_;
    NOTIFYICONDATAA notifyData_{};
    TImageList* iconList_ = nullptr;
    bool cycleIcons_ = false;
    uint32_t cycleInterval_ = 0;
    std::string hint_;
    bool showHint_ = true;
    TIcon icon_;
    bool iconVisible_ = false;
    bool inShell_ = false;  // the shell took the last add; a refused add again is no news
    int iconIndex_ = 0;
    bool wantEnterExit_ = false;

    std::unique_ptr<TSimpleTimer> animationTimer_, clickDelayTimer_, leaveCheckTimer_;
    uint64_t frameDue_ = 0;  // when the next picture is due (GetTickCount64)
    UINT lastEvent_ = 0;  // the shell's previous callback
    bool leftDownSeen_ = false;
    bool clickPending_ = false;
    bool doubleClickSeen_ = false;
    bool cursorOutside_ = true;
    POINT lastCursorPos_{};
    bool startupCheckPending_ = true;
    TWindowHook ownerHook_, applicationHook_;
};

}  // namespace noc
